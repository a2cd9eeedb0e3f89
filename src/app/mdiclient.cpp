#include "app/mdiclient.h"

#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/about.h"
#include "app/appsettings.h"
#include "app/decmdiframe.h"
#include "app/newtimedialog.h"
#include "app/orvantapp.h"
#include "base/degrees.h"
#include "base/paths.h"
#include "base/strings.h"
#include "config/almanacstatus.h"
#include "config/orbitsources.h"
#include "dialogs/downloaddialog.h"
#include "engine/almanac_scan.h"
#include "engine/rinexnav.h"
#include "terrain/terrainmodel.h"
#include "ui/help.h"
#include "ui/prompts.h"
#include "ui/screenfit.h"
#include "ui/waitcursor.h"
#include "views/ui/viewbase.h"

namespace {

QString FileNameOf(const std::string& path) {
    return QString::fromStdString(std::filesystem::path(path).filename().string());
}

} // namespace

ClientDialogs& InstalledDialogs() {
    static ClientDialogs dialogs;
    return dialogs;
}

OrvantMDIClient::OrvantMDIClient() : config_(BuildProgramPath(ResString(IDS_CONFIG_FILE_NAME))) {
    setObjectName(QStringLiteral("mdiClient"));
    FillOptionsTransfer(config_, options_);
    session_.SetDirectory(DirectoryOf(config_.almanacPath));
    // Registered before any control can post them.
    CmRedrowAndPar();
    CmRedrowAndParFloat();
    ApplyOptions(options_, session_);
    RestoreFileCodePage();
    RestoreTerrain();
    connect(this, &QMdiArea::subWindowActivated, this, [this] {
        if (frame_)
            frame_->UpdateCommandStates();
    });
}

OrvantMDIClient::~OrvantMDIClient() {
    // The views tell their host when they go: let them while the host is still whole.
    for (QMdiSubWindow* w : subWindowList())
        delete w;
    // config_ writes the file as it goes.
}

void OrvantMDIClient::SetupWindow() {
    Command(CM_SHOW_SPLASH);
    if (config_.showTimeBar)
        Post(CM_SHOW_TIME_BAR);

    bool loaded = LoadAlmanac(config_.almanacPath, config_.loadLastAlmanac != 0);
    if (!loaded && std::filesystem::path(config_.almanacPath).filename().empty()) {
        // No almanac chosen yet (a first start): the almanacs that come with the program.
        loaded = LoadAlmanac(BundledDataDirectory() + "almanacs/", false);
        if (!loaded)
            LoadAlmanac(config_.almanacPath, false);
    }
    session_.SetSystemOn(GnssSystem::Gps, config_.gpsEnabled != 0);
    session_.SetSystemOn(GnssSystem::Glonass, config_.glonassEnabled != 0);
    RestoreOrbits();
    // The dialog searches the directory of the almanac actually loaded (the bundled one at a
    // first start), not one that holds none.
    if (!session_.almanac().path.empty())
        session_.SetDirectory(DirectoryOf(session_.almanac().path));
    UpdateFrame();
    if (!config_.readProblem.empty())
        MessageBoxRes(this, QString::fromStdString(config_.readProblem), IDS_WARNING, MB_ICONEXCLAMATION);
}

bool OrvantMDIClient::LoadAlmanac(const std::string& path, bool loadLast) {
    WaitCursor wait;
    if ((loadLast && session_.LoadAlmanac(path)) || session_.LoadNewestAlmanac(DirectoryOf(path)))
        return true;
    session_.LoadAlmanac(path); // nothing loads: the engine holds none, and the path is recorded
    return false;
}

namespace {

// The settings' names of the systems that may have two sources.
const QString kSourceSettings[2] = {QStringLiteral("gps"), QStringLiteral("glonass")};

} // namespace

void OrvantMDIClient::RestoreOrbits() {
    QStringList gone;
    {
        WaitCursor wait;
        for (const QString& path : RememberedNavigationFiles()) {
            if (!session_.AddNavigationFile(path.toStdString()).error.empty())
                gone.append(path);
        }
    }
    for (int s = 0; s < 2; ++s) {
        const QString source = RememberedOrbitSource(kSourceSettings[s]);
        if (source == QStringLiteral("almanac"))
            session_.ChooseSource(static_cast<GnssSystem>(s), OrbitSource::Almanac);
        else if (source == QStringLiteral("navigation"))
            session_.ChooseSource(static_cast<GnssSystem>(s), OrbitSource::Broadcast);
    }
    // The sources for the planning date now: the age check and the dialog's boxes see them.
    session_.UpdateStatuses();
    if (!gone.isEmpty()) {
        RememberOrbits();
        MessageBoxRes(this,
                      QString::fromStdString(FormatText(LoadResString(IDS_NAVIGATION_NOT_REREAD),
                                                        gone.join(QLatin1Char('\n')).toStdString().c_str())),
                      IDS_WARNING, MB_ICONEXCLAMATION);
    }
}

void OrvantMDIClient::RememberOrbits() const {
    QStringList paths;
    for (const std::string& p : session_.navigationFiles())
        paths.append(QString::fromStdString(p));
    RememberNavigationFiles(paths);
    const Calculator& engine = session_.engine();
    for (int s = 0; s < 2; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        const OrbitSource source = engine.source(system);
        RememberOrbitSource(kSourceSettings[s], !engine.SourceChosen(system) ? QString()
                                                : source == OrbitSource::Almanac
                                                    ? QStringLiteral("almanac")
                                                    : QStringLiteral("navigation"));
    }
}

int OrvantMDIClient::AlmanacAgeWarning(const PlanSession& session, unsigned style) {
    return ShowAlmanacAgeWarning(session, style);
}

void OrvantMDIClient::NoAlmanacReport() {
    const std::string pattern = DirectoryOf(config_.almanacPath) + ResString(IDS_ALMANAC_PATTERN);
    MessageBoxRes(nullptr,
                  QString::fromStdString(FormatText(LoadResString(IDS_NO_ALMANAC_FILES), pattern.c_str())),
                  IDS_ERROR, MB_ICONEXCLAMATION);
}

// ---- commands ------------------------------------------------------------------------------

bool OrvantMDIClient::CommandEnabled(int id) const {
    const bool haveList = list_ != nullptr;
    const bool viewOpen = OpenViewCount() > 0;
    switch (id) {
    case CM_SITELIST_SAVE:
    case CM_SITELIST_SAVEAS:
        return haveList;
    case CM_SITES:
        return haveList && InstalledDialogs().siteEditor != nullptr;
    case CM_OBSTRUCTIONS:
        return haveList && InstalledDialogs().obstructionEditor != nullptr;
    case CM_PRINT_GRAPH:
    case CM_PRINT_TABLE:
    case CM_EXPORT_GRAPH:
    case CM_CASCADE:
    case CM_TILE:
    case CM_ARRANGE_ICONS:
    case CM_CLOSE_ALL:
        return viewOpen;
    case CM_VIEW_VISIBILITY:
    case CM_VIEW_DOP:
    case CM_VIEW_SKY:
        return haveList && session_.engine().loadState() == kLoadOk;
    default:
        return true;
    }
}

bool OrvantMDIClient::CommandChecked(int id) const {
    return id == CM_TIME_BAR && config_.showTimeBar != 0;
}

void OrvantMDIClient::Command(int id) {
    // A posted command may arrive after its menu item was disabled: the rule holds for it too.
    if (!CommandEnabled(id))
        return;
    switch (id) {
    case CM_SITELIST_NEW:
        NewList();
        break;
    case CM_SITELIST_OPEN:
        OpenList();
        break;
    case CM_SITELIST_SAVE:
        SaveList();
        break;
    case CM_SITELIST_SAVEAS:
        SaveListAs();
        break;
    case CM_SITES:
        Sites();
        break;
    case CM_OBSTRUCTIONS:
        Obstructions();
        break;
    case CM_PRINT_GRAPH:
    case CM_PRINT_TABLE:
    case CM_EXPORT_GRAPH:
    case CM_PRINT_SETUP:
        PrintCommand(id);
        break;
    case CM_EXIT:
        if (frame_)
            frame_->close();
        return;
    case CM_VIEW_VISIBILITY:
    case CM_VIEW_DOP:
    case CM_VIEW_SKY:
        OpenView(id);
        break;
    case CM_CASCADE:
        Cascade();
        break;
    case CM_TILE:
        tileSubWindows();
        break;
    case CM_ARRANGE_ICONS:
        ArrangeIcons();
        break;
    case CM_CLOSE_ALL:
        CloseAllViews();
        break;
    case CM_SAT_CONFIG:
        SatelliteConfiguration();
        break;
    case CM_OPTIONS:
        RunOptions();
        break;
    case CM_TERRAIN:
        TerrainSetup();
        break;
    case CM_TIME_BAR:
        ToggleTimeBar();
        break;
    case CM_HELP_TOPICS:
        ShowHelpContents(this);
        break;
    case CM_ABOUT: {
        AboutDialog about(this);
        about.exec();
        break;
    }
    case CM_RECOMPUTE:
        RecomputeAndRedraw();
        break;
    case CM_SHOW_TIME_BAR:
        ShowTimeBar();
        break;
    case CM_HIDE_TIME_BAR:
        HideTimeBar();
        break;
    case CM_SHOW_SPLASH:
        ShowSplash();
        break;
    case CM_ALMANAC_AGE_CHECK:
        AlmanacAgeCheck();
        break;
    case CM_NO_ALMANAC_REPORT:
        NoAlmanacReport();
        break;
    default:
        break;
    }
    UpdateFrame();
}

bool OrvantMDIClient::event(QEvent* event) {
    if (event->type() == CmRedrowAndPar()) {
        Post(CM_RECOMPUTE);
        return true;
    }
    return QMdiArea::event(event);
}

void OrvantMDIClient::ShowSplash() {
    if (!SplashWanted())
        return;
    LogoWindow splash(this);
    splash.Execute();
}

void OrvantMDIClient::AlmanacAgeCheck() {
    // Asked for in the options: the day's orbits first, started at once and closed when all arrived.
    if (options_.fetchAtStart && !fetchedAtStart_) {
        fetchedAtStart_ = true;
        DownloadOrbits(true);
    }
    const std::optional<SystemSource> far = FarthestPlannedSource(session_);
    if (!far || std::fabs(far->ageDays) <= kOfferDownloadDays) {
        ShowAlmanacAgeWarning(session_, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    const std::string text = FormatText(ResString(IDS_OFFER_DOWNLOAD).c_str(), SystemName(far->system),
                                        static_cast<int>(std::fabs(far->ageDays)), SourceLine(*far).c_str());
    if (MessageBoxRes(nullptr, QString::fromStdString(text), IDS_QUESTION,
                      MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO) == IDYES)
        DownloadOrbits();
}

void OrvantMDIClient::DownloadOrbits(bool startAtOnce) {
    if (!MakeUserAlmanacDirectory())
        return;
    FetchReport report;
    {
        DownloadDialog dialog(frame_, IntervalBeginDate(session_.interval()), UserAlmanacDirectory());
        if (startAtOnce) {
            dialog.CloseWhenAllArrive();
            QTimer::singleShot(0, &dialog, [&dialog] { dialog.Start(); });
        }
        if (dialog.exec() != QDialog::Accepted)
            return;
        report = dialog.Report();
    }
    WaitCursor wait;
    session_.AddNewOrbitFiles(report.orbitFiles);
    if (!report.almanacPath.empty()) {
        session_.SetDirectory(DirectoryOf(report.almanacPath));
        session_.LoadAlmanac(report.almanacPath);
    }
    session_.UpdateStatuses();
    RememberOrbits();
    UpdateSiteLine();
    Post(CM_RECOMPUTE);
}

void OrvantMDIClient::ToggleTimeBar() {
    config_.showTimeBar = config_.showTimeBar ? 0 : 1;
    Post(config_.showTimeBar ? CM_SHOW_TIME_BAR : CM_HIDE_TIME_BAR);
    Post(CM_RECOMPUTE);
}

NewTimeDialog* OrvantMDIClient::TimeBar() const {
    return timeBar_.data();
}

void OrvantMDIClient::ShowTimeBar() {
    if (timeBar_ || !frame_)
        return;
    // A strip of its own under the tool bar, as wide as the frame; not movable, and not offered
    // in the tool bars' menu, so that only the command shows and hides it.
    auto* area = new QToolBar(frame_);
    area->setObjectName(QStringLiteral("timeBarArea"));
    area->setMovable(false);
    area->setFloatable(false);
    area->setAllowedAreas(Qt::TopToolBarArea);
    area->toggleViewAction()->setVisible(false);
    area->setContextMenuPolicy(Qt::PreventContextMenu);
    timeBar_ = new NewTimeDialog(area, *this);
    area->addWidget(timeBar_);
    frame_->addToolBarBreak(Qt::TopToolBarArea);
    frame_->addToolBar(Qt::TopToolBarArea, area);
    area->show();
    timeBarArea_ = area;
}

void OrvantMDIClient::HideTimeBar() {
    if (!timeBar_)
        return;
    QToolBar* area = timeBarArea_.data();
    timeBar_ = nullptr;
    timeBarArea_ = nullptr;
    if (!area)
        return;
    if (frame_) {
        frame_->removeToolBarBreak(area);
        frame_->removeToolBar(area);
    }
    area->hide();
    area->deleteLater();
}

TBaseMDIChild* OrvantMDIClient::PrintedView() const {
    QMdiSubWindow* active = activeSubWindow();
    if (!active && !subWindowList().isEmpty())
        active = subWindowList().last();
    return active ? qobject_cast<TBaseMDIChild*>(active->widget()) : nullptr;
}

int OrvantMDIClient::ActiveViewCommand() const {
    const TBaseMDIChild* view = PrintedView();
    if (!view)
        return 0;
    return view == sky_ ? CM_VIEW_SKY : view == dop_ ? CM_VIEW_DOP : CM_VIEW_VISIBILITY;
}

void OrvantMDIClient::PrintCommand(int id) {
    if (id == CM_PRINT_SETUP) {
        TBaseMDIChild::PrintSetup(this);
        return;
    }
    TBaseMDIChild* view = PrintedView();
    if (!view)
        return;
    if (id == CM_PRINT_GRAPH)
        view->PrintGraph();
    else if (id == CM_EXPORT_GRAPH)
        view->ExportGraph();
    else
        view->PrintTable();
}

// ---- recomputation and views ---------------------------------------------------------------

void OrvantMDIClient::RecomputeIfNeeded() {
    EnsureTerrain();
    if (!session_.changes().Any())
        return;
    SiteInfo* site = list_ ? list_->CurrentSite() : nullptr;
    if (!site || !site->HasValidValues())
        return;
    WaitCursor wait;
    session_.Recalculate(*site);
    UpdateSiteLine(); // the date may have changed the systems with orbits
}

void OrvantMDIClient::RecomputeAndRedraw() {
    if (OpenViewCount() == 0)
        return;
    if (session_.engine().loadState() != kLoadOk || !list_ || !list_->CurrentSite() ||
        !list_->CurrentSite()->HasValidValues()) {
        Post(CM_CLOSE_ALL);
        return;
    }
    RecomputeIfNeeded();
    for (TBaseMDIChild* v : {sky_.data(), dop_.data(), visibility_.data()})
        if (v)
            v->update();
}

TBaseMDIChild* OrvantMDIClient::View(int command) const {
    switch (command) {
    case CM_VIEW_SKY:
        return sky_;
    case CM_VIEW_DOP:
        return dop_;
    case CM_VIEW_VISIBILITY:
        return visibility_;
    default:
        return nullptr;
    }
}

int OrvantMDIClient::OpenViewCount() const {
    return (sky_ ? 1 : 0) + (dop_ ? 1 : 0) + (visibility_ ? 1 : 0);
}

void OrvantMDIClient::OpenView(int command) {
    QPointer<TBaseMDIChild>& slot = command == CM_VIEW_SKY   ? sky_
                                    : command == CM_VIEW_DOP ? dop_
                                                             : visibility_;
    if (TBaseMDIChild* open = slot.data()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) {
            // Asking for a minimised view means wanting to see it.
            if (sub->isMinimized())
                sub->showNormal();
            setActiveSubWindow(sub);
        }
        open->setFocus();
        return;
    }
    if (!list_ || !list_->CurrentSite())
        return;
    if (!list_->CurrentSite()->HasValidValues()) {
        ReportUnusablePositions(false);
        return;
    }
    RecomputeIfNeeded();
    TBaseMDIChild* view = CreateView(command, *this, nullptr);
    if (!view)
        return;
    slot = view;
    QMdiSubWindow* sub = addSubWindow(view);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    // A new view takes the whole client area, as the program's views always did.
    sub->setGeometry(viewport()->rect());
    sub->show();
    setActiveSubWindow(sub);
}

void OrvantMDIClient::ViewClosed(TBaseMDIChild* view) {
    for (QPointer<TBaseMDIChild>* slot : {&sky_, &dop_, &visibility_})
        if (slot->data() == view)
            *slot = nullptr;
    if (frame_)
        frame_->UpdateCommandStates();
}

void OrvantMDIClient::CloseAllViews() {
    for (QPointer<TBaseMDIChild>* slot : {&sky_, &dop_, &visibility_}) {
        TBaseMDIChild* view = slot->data();
        if (!view)
            continue;
        if (auto* sub = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
            sub->close();
        else
            view->close();
        *slot = nullptr;
    }
}

void OrvantMDIClient::RememberWindows() const {
    std::vector<RememberedView> views;
    for (QMdiSubWindow* w : subWindowList(QMdiArea::StackingOrder)) {
        auto* view = qobject_cast<TBaseMDIChild*>(w->widget());
        if (!view)
            continue;
        const int command = view == sky_ ? CM_VIEW_SKY : view == dop_ ? CM_VIEW_DOP : CM_VIEW_VISIBILITY;
        views.push_back({command, w->isMaximized() || w->isMinimized() ? QRect() : w->geometry(),
                         w->isMaximized(), viewport()->size()});
    }
    RememberViews(views);
}

void OrvantMDIClient::RestoreRememberedViews() {
    if (viewsRestored_)
        return;
    viewsRestored_ = true;
    const QRect area = viewport()->rect();
    for (const RememberedView& v : RememberedViews()) {
        if (v.command != CM_VIEW_SKY && v.command != CM_VIEW_DOP && v.command != CM_VIEW_VISIBILITY)
            continue;
        if (!CommandEnabled(v.command) || View(v.command))
            continue;
        OpenView(v.command);
        TBaseMDIChild* view = View(v.command);
        auto* sub = view ? qobject_cast<QMdiSubWindow*>(view->parentWidget()) : nullptr;
        if (!sub)
            continue;
        // A place from a larger (or smaller) client area keeps its share of this one, and a place
        // that still lies partly outside comes in whole rather than cut to what overlaps.
        if (v.maximized)
            sub->showMaximized();
        else if (v.geometry.isValid())
            sub->setGeometry(ScaledInto(v.geometry, v.area, area));
    }
}

void OrvantMDIClient::Cascade() {
    // Each window one title bar further down and right, all as large as that leaves them: the
    // framework's own cascade would shrink the views to their (empty) size hints.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : subWindowList(QMdiArea::StackingOrder))
        if (!w->isMinimized() && w->isVisible())
            windows << w;
    if (windows.isEmpty())
        return;
    const QRect area = viewport()->rect();
    const int n = static_cast<int>(windows.size());
    int step = windows.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first());
    step = std::max(8, step);
    // Every window keeps at least half the area in each direction.
    step = std::min({step, area.width() / 2 / std::max(1, n - 1), area.height() / 2 / std::max(1, n - 1)});
    const QSize size(area.width() - (n - 1) * step, area.height() - (n - 1) * step);
    for (int k = 0; k < n; ++k) {
        QMdiSubWindow* w = windows[k];
        if (w->isMaximized())
            w->showNormal();
        w->setGeometry(QRect(area.topLeft() + QPoint(k * step, k * step), size));
        w->raise();
    }
}

void OrvantMDIClient::ArrangeIcons() {
    // Minimized windows in a row along the bottom edge, as the system arranges icons.
    int x = 0;
    for (QMdiSubWindow* w : subWindowList()) {
        if (!w->isMinimized())
            continue;
        w->move(x, viewport()->height() - w->height());
        x += w->width();
    }
}

const SiteInfo* OrvantMDIClient::ViewSite() {
    return list_ ? list_->CurrentSite() : nullptr;
}

QStatusBar* OrvantMDIClient::ViewStatusBar() {
    return frame_ ? frame_->statusBar() : nullptr;
}

// ---- frame texts ---------------------------------------------------------------------------

QString OrvantMDIClient::SiteLine() const {
    if (!list_ || list_->sites.Count() == 0)
        return {};
    const SiteInfo* site = list_->CurrentSite();
    if (!site)
        return {};
    if (!site->HasValidValues())
        return QString::fromStdString(FormatText(LoadResString(IDS_SITE_LINE_UNUSABLE), list_->currentName));
    const std::string letters = ResString(IDS_HEMISPHERE_LETTERS) + "    ";
    double lat = site->latitude, lon = site->longitude;
    const std::string ns(1, letters[lat >= 0 ? 0 : 1]);
    const std::string we(1, letters[lon >= 0 ? 3 : 2]);
    lat = std::fabs(lat);
    lon = std::fabs(lon);
    if (lat > 90)
        lat = std::fmod(lat, 90.0);
    if (lon > 180)
        lon = std::fmod(lon, 180.0);
    int latD, latM, latS, latH, lonD, lonM, lonS, lonH;
    DegreesToDms(lat, latD, latM, latS, latH);
    DegreesToDms(lon, lonD, lonM, lonS, lonH);
    return QString::fromStdString(FormatText(LoadResString(IDS_STATUS_SITE_LINE), list_->currentName, latD,
                                             latM, latS, ns.c_str(), lonD, lonM, lonS, we.c_str()));
}

bool OrvantMDIClient::ReportUnusablePositions(bool all) {
    if (!list_)
        return false;
    std::string faults;
    if (all) {
        for (const std::string& line : list_->SiteFaults())
            faults += "\n  " + line;
    } else if (const SiteInfo* site = list_->CurrentSite(); site && !site->HasValidValues()) {
        faults = "\n  " + std::string(site->name) + ": " + site->ValueFault();
    }
    if (faults.empty())
        return false;
    MessageBoxRes(this,
                  QString::fromStdString(FormatText(LoadResString(IDS_UNUSABLE_POSITIONS), faults.c_str())),
                  IDS_WARNING, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

QString OrvantMDIClient::CutOffText() const {
    const int degrees = CutOffDegrees(session_.engine().elevationMask());
    return QString::fromStdString(FormatText(LoadResString(IDS_STATUS_CUTOFF), degrees));
}

QString OrvantMDIClient::ObstructionText() const {
    return session_.engine().obstructionsOn() ? Res(IDS_STATUS_OBSTRUCTIONS) : QString();
}

void OrvantMDIClient::SetCaption() {
    if (!frame_)
        return;
    if (list_) {
        // "[*]" marks where the window system shows the modified mark; one in the name is doubled to
        // stand for itself.
        const QString name = FileNameOf(list_->path).replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
        frame_->setWindowTitle(
            QString::fromStdString(FormatText(LoadResString(IDS_APP_TITLE_FILE), name.toUtf8().constData())) +
            QLatin1String("[*]"));
    } else {
        frame_->setWindowTitle(Res(IDS_APP_TITLE));
    }
    frame_->setWindowModified(list_ && list_->modified);
}

void OrvantMDIClient::UpdateSiteLine() {
    if (!frame_)
        return;
    frame_->SetGadgetText(0, SiteLine());
    // The systems kept on that have no orbits at the planning date.
    std::string none;
    for (const SystemSource& s : session_.Sources())
        if (s.source == OrbitSource::None && session_.SystemOn(s.system))
            none += (none.empty() ? "" : ", ") + std::string(SystemName(s.system));
    frame_->SetOrbitsText(none.empty() ? QString()
                                       : QString::fromStdString(FormatText(
                                             ResString(IDS_STATUS_NO_ORBITS).c_str(), none.c_str())));
}

void OrvantMDIClient::ViewSources(std::string& systems, std::vector<std::string>& lines) {
    const std::vector<SystemSource> sources = session_.Sources();
    systems = PlannedSystemsText(session_, sources);
    lines = PlannedSourceLines(session_, sources, true);
}

void OrvantMDIClient::UpdateGadgets() {
    if (!frame_)
        return;
    frame_->SetGadgetText(3, ObstructionText());
    frame_->SetGadgetText(4, CutOffText());
    const SiteInfo* site = list_ ? list_->CurrentSite() : nullptr;
    frame_->SetTerrainText(site && site->terrain ? QString::fromStdString(ResString(IDS_TERRAIN_STATUS))
                                                 : QString());
}

void OrvantMDIClient::UpdateFrame() {
    if (!frame_)
        return;
    UpdateGadgets();
    frame_->setWindowModified(list_ && list_->modified);
    frame_->UpdateCommandStates();
}
