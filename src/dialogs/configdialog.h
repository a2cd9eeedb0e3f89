// The satellite configuration dialog (216): the almanac file and directory, the satellite systems and
// the single satellites, and where each system's orbits come from. Everything is done to a draft of
// the plan session, so the boxes and lines always show what would be planned; OK hands the draft to
// the session, Cancel drops it.
#pragma once

#include "net/fetch.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>

#include "config/plansession.h"

class ConfigDialogHost;
class QComboBox;
class QLabel;
class QTabWidget;
class TSatelliteGroup;

inline constexpr int kConfigDialogId = 216;
inline constexpr int kConfigHelpContext = 10300;
// The controls this program adds to the dialog.
inline constexpr int kImportButtonId = 46700;
inline constexpr int kAlmanacDateId = 46701;
inline constexpr int kLaterSystemsId = 47720;     // the pages of Galileo, BeiDou, QZSS and NavIC
inline constexpr int kNavigationButtonId = 47721; // adds navigation files
inline constexpr int kRemoveNavigationId = 47957; // forgets them
inline constexpr int kSourceBoxIds = 47958;       // GPS's and GLONASS's orbit source (+0, +1)
inline constexpr int kSourceTextIds = 47960;      // what each of the six systems is planned from
inline constexpr int kMoreGlonassIds = 47966;     // boxes, then markers, of GLONASS slots 25-31
inline constexpr int kNavIcIds = 47980;           // NavIC's group, laid out as the later systems' groups

class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Searches the session's almanac directory and, when the almanac there is not the one loaded,
    // loads it into the session and says so; with no almanac files at all it says that instead.
    ConfigDialog(QWidget* parent, ConfigDialogHost& host);

    void accept() override;

private:
    void Construct();
    void BuildControls();
    void TransferIn();
    void TransferOut();
    void SetUpWindow();

    // The almanac of the selected name into the draft, and every box after it.
    void SelectionChanged();
    void ChangeDirectory();
    // Existing files the user picks in a file dialog; false when none.
    bool ChooseFiles(int titleId, int filterId, QStringList& chosen);
    void Import();
    // Where Import and Download write: the listed directory when it is the user's own and can be
    // written, else the user's almanac directory (made and seeded when missing), listed from then on.
    std::string WritableDirectory();
    // Download...: the orbits of the planning date from the published sources.
    void Download();

public:
    // What a download brought becomes the draft's: the almanac selected, the orbit files added.
    void AdoptFetched(const FetchReport& report);

private:
    // Reads navigation files into the draft; the later systems' pages follow.
    void AddNavigationFiles();
    void RemoveNavigationFiles();
    std::array<OrbitSource, kGnssSystems> Sources() const;
    // Every page after the navigation files or a source changed; `before`: the sources until then.
    void RefreshSystems(const std::array<OrbitSource, kGnssSystems>& before);
    // The orbit source boxes and texts from the draft.
    void ShowSources();
    void SourceSelected(int system);
    // Fills the list from the last directory search and selects `name` (the first when absent).
    void FillList(const std::string& name);
    void ShowAlmanacDate();

    // Directory + selected name; the directory alone when nothing is selected.
    std::string SelectedPath() const;

    ConfigDialogHost& host_;
    PlanSession& session_;
    std::unique_ptr<PlanSession> draft_;
    BufferForConfiguration buffer_; // the transfer record
    std::string directory_;
    QComboBox* almanacs_ = nullptr;
    QLabel* directoryText_ = nullptr;
    QLabel* date_ = nullptr;
    TSatelliteGroup* gps_ = nullptr;
    TSatelliteGroup* glonass_ = nullptr;
    QTabWidget* laterPages_ = nullptr;
    TSatelliteGroup* later_[kLaterSystems] = {}; // Galileo, BeiDou, QZSS, NavIC
    // GPS and GLONASS: nearest, almanac, navigation files; null for the others.
    std::array<QComboBox*, kGnssSystems> sourceBoxes_{};
    std::array<QLabel*, kGnssSystems> sourceTexts_{};
};
