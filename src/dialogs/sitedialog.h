// The site editor (600): one site in the fields, the names of all sites in a list; Add, Delete,
// Replace, Copy and Paste work directly on the site list, Select makes the shown site current.
// The caller keeps a copy of the list and puts it back when the editor ends with Cancel.
#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "sites/project.h"
#include "sites/siteform.h"
#include "sites/skytracksource.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TSiteListBox;
class myTEdit;
class myTEditFloat;

inline constexpr int kSiteDialogHelpContext = 10035;
// The list takes no more names than this.
inline constexpr int kMaxSites = 32000;

class SiteDialog : public QDialog {
    Q_OBJECT
public:
    // Control ids, kept as the controls' object names; the dialog's own is kDialog.
    static constexpr int kDialog = 600;
    static constexpr int kName = 909, kDescription = 107, kSiteList = 110;
    static constexpr int kLatDegrees = 103, kLatMinutes = 112, kLatSeconds = 113, kLatHundredths = 102;
    static constexpr int kLonDegrees = 105, kLonMinutes = 115, kLonSeconds = 116, kLonHundredths = 106;
    static constexpr int kLatHemisphere = 123, kLonHemisphere = 124, kAltitude = 104, kGmtOffset = 108;
    static constexpr int kAdd = 119, kDelete = 109, kReplace = 114, kCopy = 118, kPaste = 117;
    static constexpr int kObstruct = 101, kMap = 111;
    // The closing buttons; the dialog ends with the id of the one that closed it.
    static constexpr int kSelect = 1, kCancel = 2, kHelp = 9;

    // Shows the current site of `list`, selected in the list of names. `tracks`, when given, puts
    // the satellite tracks behind the obstruction editor's diagram.
    SiteDialog(QWidget* parent, project& list, SkyTrackSource* tracks = nullptr);
    ~SiteDialog() override;

    // Ends with kSelect for Select, kCancel for Cancel or closing the window.
    void reject() override;

    int ShownIndex() const { return shownIndex_; }
    const SiteInfo& WorkingSite() const { return workingSite_; }
    // Unsaved changes of the shown site (SiteInfo change bits: position, offset, obstructions).
    int ChangeFlags() const { return changeFlags_; }

    // The site Copy keeps for every later opening of the editor; null before the first Copy.
    static const SiteInfo* Clipboard();
    static void ClearClipboard();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Add();
    void Delete();
    void Replace();
    void Copy();
    void Paste();
    void Select();
    void SelectionChanged();
    void Obstruct();
    void Map();

    void TransferIn(const SiteDialogBuf& buf);
    void TransferPositionIn(const SiteDialogBuf& buf);
    SiteDialogBuf TransferOut() const;
    void LoadForm(const SiteInfo& site);
    // The site the form shows: its fixed fields, after out-of-range numbers were corrected.
    SiteInfo FormSite();
    void SettleFields();
    // The pole rule on the position fields; true when it changed any.
    bool ApplyPoleRule();
    // Updates the change bits from the form and answers whether anything is unsaved.
    bool HasUnsavedChanges(const SiteInfo& formSite);
    // The name and description as typed, for the shown entry (`own`, -1 for a new site): both fit
    // the list's fields and the name is free. Shows the message.
    bool ValidName(int own);
    std::vector<std::string> ListedNames() const;
    int Ask(const QString& text);

    SiteInfo* Site(int index) const;
    void RebuildIndex();
    bool Marked(int row) const;
    QString EntryName(const char* name) const;

    project& list_;
    SkyTrackSource* tracks_;
    std::vector<SiteInfo*> index_; // the sites of list_, by position
    int shownIndex_ = -1;
    SiteInfo workingSite_;
    int changeFlags_ = 0;
    bool finished_ = false;

    QLineEdit* name_;
    QPlainTextEdit* description_;
    myTEdit *latDegrees_, *latMinutes_, *latSeconds_, *latHundredths_;
    myTEdit *lonDegrees_, *lonMinutes_, *lonSeconds_, *lonHundredths_;
    QComboBox *latHemisphere_, *lonHemisphere_;
    myTEditFloat *altitude_, *gmtOffset_;
    TSiteListBox* sites_;
    QPushButton *paste_, *obstruct_, *map_;
};
