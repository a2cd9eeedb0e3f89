// The Site List commands and the commands that run the site, obstruction, satellite configuration
// and options dialogs: asking to save, replacing the current list, copies kept for Cancel, and the
// change flags each sets before the recomputation.
#include <QFileInfo>
#include <QSettings>

#include <filesystem>

#include "app/appsettings.h"
#include "app/decmdiframe.h"
#include "app/mdiclient.h"
#include "app/newtimedialog.h"
#include "base/codepage.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "dialogs/configdialog.h"
#include "dialogs/optionsdialog.h"
#include "ui/prompts.h"
#include "ui/waitcursor.h"

namespace {

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

FileRequest SiteListRequest(unsigned flags) {
    FileRequest r;
    r.filter = Res(IDS_SITE_LIST_FILTER);
    r.defaultExtension = Res(IDS_SITE_LIST_EXTENSION);
    r.flags = flags;
    return r;
}

// File names are case-sensitive here: the same file is the same spelling, or two existing paths
// that lead to one file (which also covers a case-insensitive file system).
bool SameFile(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

// Settings beyond the configuration file's fixed record.
const QString kCodePageKey = QStringLiteral("files/codePage");
const QString kFetchAtStartKey = QStringLiteral("orbits/fetchAtStart");

QSettings Settings() {
    return QSettings(QStringLiteral("tavrin"), QStringLiteral("tavrin"));
}

} // namespace

bool OrvantMDIClient::AskToSave() {
    if (!list_ || !list_->modified)
        return true;
    std::string text = FormatText(LoadResString(IDS_SAVE_CHANGES), FileName(list_->path).c_str());
    if (project::FileFormat(list_->path) == 0) {
        // Appended piecewise: GCC 12 warns falsely (-Wrestrict) about "\n" + text.
        text += '\n';
        text += ResString(IDS_SAVE_AS_NEW_FORMAT);
    }
    switch (
        MessageBoxRes(this, QString::fromStdString(text), IDS_QUESTION, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        break;
    case IDNO:
        return true;
    default:
        return false;
    }
    if (!SaveListTo(list_->path))
        return false;
    list_->modified = 0;
    return true;
}

bool OrvantMDIClient::SaveListTo(const std::string& target, bool builtinTexts) {
    project::SaveOutcome outcome;
    bool saved;
    {
        WaitCursor wait;
        saved = list_->Save(target, &outcome);
    }
    if (!saved && outcome.error == kWriteReadOnly) {
        const std::string question = FormatText(LoadResString(IDS_REPLACE_READ_ONLY), target.c_str());
        if (MessageBoxRes(this, QString::fromStdString(question), IDS_QUESTION, MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return false; // the user's answer: nothing to report
        WaitCursor wait;
        saved = list_->Save(target, &outcome, SafeWriteOptions{true});
    }
    if (!saved) {
        // The fixed text, then which file and why.
        const char* failed = builtinTexts ? BuiltinString(IDS_WRITE_FAILED) : LoadResString(IDS_WRITE_FAILED);
        std::string text = failed ? failed : "";
        text += '\n';
        text += WriteErrorText(target, outcome.error);
        ThePrompts().MessageBox(this, QString::fromStdString(text),
                                builtinTexts ? QString::fromUtf8(BuiltinString(IDS_ERROR)) : Res(IDS_ERROR),
                                MB_ICONEXCLAMATION);
        return false;
    }
    if (outcome.linksSplit)
        MessageBoxRes(this, QString::fromStdString(LinksSplitText(target)), IDS_WARNING, MB_ICONEXCLAMATION);
    if (outcome.textAsUtf8)
        MessageBoxRes(
            this, QString::fromStdString(FormatText(LoadResString(IDS_TEXT_WRITTEN_AS_UTF8), FileCodePage())),
            IDS_WARNING, MB_ICONEXCLAMATION);
    return true;
}

void OrvantMDIClient::RestoreFileCodePage() {
    const int page = Settings().value(kCodePageKey, kDefaultCodePage).toInt();
    SetFileCodePage(IsSupportedCodePage(page) ? page : kDefaultCodePage);
    options_.codePage = FileCodePage();
    const DateForms dates = RememberedDateForms();
    SetDateForms(dates);
    options_.legacyDates = dates.legacyOnScreen ? 1 : 0;
    options_.printedDatesLikeScreen = dates.printedLikeScreen ? 1 : 0;
    options_.fetchAtStart = OpenAppSettings()->value(kFetchAtStartKey, false).toBool() ? 1 : 0;
}

void OrvantMDIClient::MakeCurrent(std::unique_ptr<project> list) {
    list_ = std::move(list);
    SetCaption();
    if (frame_)
        frame_->SetToolBarLayout(true);
    Command(CM_CLOSE_ALL);
    UpdateSiteLine();
    session_.SetSite(list_ ? list_->CurrentSite() : nullptr);
    session_.Touch(ChangeFlags::kAll);
    Post(CM_SITES);
}

void OrvantMDIClient::NewList() {
    if (!AskToSave())
        return;
    list_.reset();
    MakeCurrent(std::make_unique<project>());
}

void OrvantMDIClient::OpenList() {
    if (!AskToSave())
        return;
    QString chosen;
    FileRequest request = SiteListRequest(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    if (list_) // next to the list in use
        request.directory = QFileInfo(QString::fromStdString(list_->path)).absolutePath();
    if (!ThePrompts().OpenFileName(this, request, chosen))
        return;
    OpenSiteList(chosen.toStdString());
}

bool OrvantMDIClient::OpenSiteList(const std::string& path) {
    std::unique_ptr<project> read;
    {
        WaitCursor wait;
        read = std::make_unique<project>(path);
    }
    if (read->loadFailed) {
        MessageBoxRes(this, Res(IDS_BAD_FILE_FORMAT), IDS_ERROR, MB_ICONEXCLAMATION);
        return false;
    }
    const int skipped = read->skippedEntries;
    MakeCurrent(std::move(read));
    AddRecentList(QString::fromStdString(path));
    if (frame_)
        frame_->FillRecentMenu();
    // The list opens; the user learns at once which sites cannot be planned with.
    ReportUnusablePositions(true);
    if (skipped > 0)
        MessageBoxRes(this,
                      QString::fromStdString(FormatText(LoadResString(IDS_OLD_ENTRIES_SKIPPED),
                                                        FileName(path).c_str(), skipped)),
                      IDS_WARNING, MB_ICONEXCLAMATION);
    RestoreRememberedViews();
    return true;
}

bool OrvantMDIClient::OpenChosenList(const QString& path) {
    if (!AskToSave())
        return false;
    if (!QFileInfo(path).isFile()) {
        MessageBoxRes(
            this,
            QString::fromStdString(FormatText(LoadResString(IDS_RECENT_MISSING), path.toUtf8().constData())),
            IDS_ERROR, MB_OK | MB_ICONEXCLAMATION);
        RemoveRecentList(path);
        if (frame_)
            frame_->FillRecentMenu();
        return false;
    }
    const bool opened = OpenSiteList(path.toStdString());
    UpdateFrame();
    return opened;
}

void OrvantMDIClient::SaveList() {
    if (!list_)
        return;
    if (project::FileFormat(list_->path) == 0 &&
        MessageBoxRes(this, Res(IDS_SAVE_AS_NEW_FORMAT), IDS_INFORMATION, MB_OKCANCEL | MB_ICONEXCLAMATION) !=
            IDOK)
        return;
    // The program's own texts: a language file must not be able to hide this one.
    if (SaveListTo(list_->path, true))
        list_->modified = 0;
}

void OrvantMDIClient::SaveListAs() {
    if (!list_)
        return;
    std::string target;
    for (;;) {
        QString chosen;
        // The list's own folder and name to start from, as a user expects of Save As.
        FileRequest request = SiteListRequest(OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
        const QFileInfo current(QString::fromStdString(list_->path));
        request.directory = current.absolutePath();
        request.initialName = current.fileName();
        if (!ThePrompts().SaveFileName(this, request, chosen))
            return;
        target = WithDefaultExtension(chosen, Res(IDS_SITE_LIST_EXTENSION)).toStdString();
        if (!SameFile(target, list_->path) || project::FileFormat(target) != 0)
            break;
        if (MessageBoxRes(this, Res(IDS_SAVE_AS_NEW_FORMAT), IDS_INFORMATION,
                          MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
            break;
    }
    if (!SaveListTo(target))
        return;
    list_->modified = 0;
    AddRecentList(QString::fromStdString(target));
    if (frame_)
        frame_->FillRecentMenu();
    if (!SameFile(target, list_->path)) {
        list_->path = target;
        SetCaption();
    }
}

void OrvantMDIClient::Sites() {
    if (!list_ || !InstalledDialogs().siteEditor)
        return;
    // A complete copy for Cancel, and the current site as it was for the change flags.
    project copy = *list_;
    const SiteInfo* before = copy.CurrentSite();
    if (!InstalledDialogs().siteEditor(this, *list_)) {
        *list_ = std::move(copy);
        UpdateSiteLine();
        return;
    }
    if (list_->sites.Count() > 0) {
        const SiteInfo* after = list_->CurrentSite();
        session_.SetSite(after);
        session_.Touch(before && after ? static_cast<uint32_t>(before->ChangeMask(*after))
                                       : ChangeFlags::kAll);
        Post(CM_RECOMPUTE);
        UpdateSiteLine();
        return;
    }
    list_.reset();
    Command(CM_CLOSE_ALL);
    UpdateSiteLine();
    SetCaption();
    if (frame_)
        frame_->SetToolBarLayout(false);
}

void OrvantMDIClient::Obstructions() {
    SiteInfo* site = list_ ? list_->CurrentSite() : nullptr;
    if (!site || !InstalledDialogs().obstructionEditor)
        return;
    AList<Obstruction> copy = site->obstructions;
    if (!InstalledDialogs().obstructionEditor(this, *site, copy))
        return;
    site->obstructions = copy;
    list_->modified = 1;
    session_.Touch(ChangeFlags::kObstructions);
    Post(CM_RECOMPUTE);
}

void OrvantMDIClient::SatelliteConfiguration() {
    {
        ConfigDialog dialog(this, *this);
        dialog.exec();
    }
    RememberOrbits();
    if (session_.changes().Any())
        Post(CM_RECOMPUTE);
}

void OrvantMDIClient::RunOptions() {
    const int codePage = options_.codePage;
    TOptionsDialog dialog(this, options_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplyOptions(options_, session_);
    if (options_.codePage != codePage && SetFileCodePage(options_.codePage))
        Settings().setValue(kCodePageKey, options_.codePage);
    OpenAppSettings()->setValue(kFetchAtStartKey, options_.fetchAtStart != 0);
    const DateForms dates{options_.legacyDates != 0, options_.printedDatesLikeScreen != 0};
    SetDateForms(dates);
    RememberDateForms(dates);
    if (timeBar_)
        timeBar_->ApplyDateForm();
    UpdateGadgets();
    Post(CM_RECOMPUTE);
}

bool OrvantMDIClient::CanClose() {
    if (!AskToSave())
        return false;
    // The systems as the user keeps them, whether or not the almanac has them.
    BufferForConfiguration systems;
    systems.gps = session_.SystemOn(GnssSystem::Gps) ? 1 : 0;
    systems.glonass = session_.SystemOn(GnssSystem::Glonass) ? 1 : 0;
    ConfigurationFromWorkingRecords(config_, options_, systems, session_.almanac());
    return true;
}
