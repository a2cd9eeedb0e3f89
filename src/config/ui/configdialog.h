// The satellite configuration dialog (216): the almanac file and directory, the two satellite systems
// and the single satellites. A chosen almanac is loaded at once, so the boxes always show the
// satellites of the selected file; OK keeps it, Cancel goes back to the almanac loaded before.
#pragma once

#include <QDialog>

#include <string>

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
inline constexpr int kLaterSystemsId = 47720;     // the pages of Galileo, BeiDou and QZSS
inline constexpr int kNavigationButtonId = 47721; // adds navigation files

class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Searches the almanac directory of the host's record and, when the almanac there is not the one
    // loaded, loads it and says so; with no almanac files at all it says that instead.
    ConfigDialog(QWidget* parent, ConfigDialogHost& host);

    void accept() override;
    void reject() override;

private:
    void Construct();
    void BuildControls();
    void TransferIn();
    void TransferOut();
    void SetUpWindow();

    // The almanac of the selected name into the engine, and every box after it.
    void SelectionChanged();
    void ChangeDirectory();
    // Existing files the user picks in a file dialog; false when none.
    bool ChooseFiles(int titleId, int filterId, QStringList& chosen);
    void Import();
    // Reads navigation files into the engine; the later systems' pages follow.
    void AddNavigationFiles();
    void RefreshLaterSystems();
    // Fills the list from the last directory search and selects `name` (the first when absent).
    void FillList(const std::string& name);
    void ShowAlmanacDate();

    // Directory + selected name; the directory alone when nothing is selected.
    std::string SelectedPath() const;

    ConfigDialogHost& host_;
    std::string directory_;
    QComboBox* almanacs_ = nullptr;
    QLabel* directoryText_ = nullptr;
    QLabel* date_ = nullptr;
    TSatelliteGroup* gps_ = nullptr;
    TSatelliteGroup* glonass_ = nullptr;
    QTabWidget* laterPages_ = nullptr;
    TSatelliteGroup* later_[3] = {}; // Galileo, BeiDou, QZSS
};
