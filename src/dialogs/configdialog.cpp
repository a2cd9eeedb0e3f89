#include "dialogs/configdialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "base/astring.h"
#include "base/paths.h"
#include "base/strings.h"
#include "config/almanacstatus.h"
#include "config/plansession.h"
#include "dialogs/configdialoghost.h"
#include "dialogs/downloaddialog.h"
#include "dialogs/satellitegroup.h"
#include "engine/almanac_scan.h"
#include "ui/commands.h"
#include "ui/dates.h"
#include "ui/help.h"
#include "ui/prompts.h"
#include "ui/screenfit.h"
#include "ui/waitcursor.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The box texts that take a path: "No file  %s\n Or bad file" and its kin.
void ErrorWithPath(int textId, const std::string& path) {
    MessageBoxRes(nullptr, Text(FormatText(LoadResString(textId), path.c_str())), IDS_ERROR,
                  MB_ICONEXCLAMATION);
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

constexpr SatelliteGroupIds kGpsIds{365, 173, 1000, 357, 358, GnssSystem::Gps, kGpsSatellites, 16};
// GLONASS slots 25-31 come from navigation files only; their boxes follow slot 24's.
constexpr SatelliteGroupIds kGlonassIds{366,
                                        205,
                                        1032,
                                        359,
                                        360,
                                        GnssSystem::Glonass,
                                        kGlonassSatellites,
                                        12,
                                        kMoreGlonassIds,
                                        kMoreGlonassIds + 7};
// The later systems' controls: system box, boxes, markers and the two buttons, in one id block each.
constexpr SatelliteGroupIds kLaterIds[kLaterSystems] = {
    {47730, 47731, 47767, 47803, 47804, GnssSystem::Galileo, 36, 12},
    {47805, 47806, 47869, 47932, 47933, GnssSystem::BeiDou, 63, 16},
    {47934, 47935, 47945, 47955, 47956, GnssSystem::Qzss, 10, 12},
    {kNavIcIds, kNavIcIds + 1, kNavIcIds + 15, kNavIcIds + 29, kNavIcIds + 30, GnssSystem::NavIc, 14, 14},
};
static_assert(SatelliteCatalogue::Count(GnssSystem::Glonass) == kGlonassSatellites + 7);
static_assert(SatelliteCatalogue::Count(GnssSystem::NavIc) == 14);

// Asks for room for all it holds, and scrolls when it gets less: the dialog opens at its full
// size where the screen has room for it.
class FullScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        if (!widget())
            return QScrollArea::sizeHint();
        const QSize content = widget()->sizeHint();
        return {content.width() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth(),
                content.height() + 2 * frameWidth()};
    }
    QSize minimumSizeHint() const override {
        // As wide as the systems, which do not scroll sideways.
        if (!widget())
            return QScrollArea::minimumSizeHint();
        return {sizeHint().width(), QScrollArea::minimumSizeHint().height()};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // What the systems need as they change reaches the dialog's layout, as it did without the
        // scroll area.
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

} // namespace

ConfigDialog::ConfigDialog(QWidget* parent, ConfigDialogHost& host)
    : QDialog(parent), host_(host), session_(host.Session()) {
    setObjectName(ControlName(kConfigDialogId));
    setWindowTitle(Res(IDS_CFGDLG_CAPTION));
    Construct();
    draft_ = session_.Draft();
    FillSatelliteStates(*draft_, buffer_);
    BuildControls();
    TransferIn();
    SetUpWindow();
    // With the texts set, at the size they need where the screen has room.
    if (auto* systems = findChild<QScrollArea*>(QStringLiteral("systemsArea")))
        systems->updateGeometry();
    resize(SizeOnScreen(this, sizeHint()));
}

void ConfigDialog::BuildControls() {
    const Calculator& engine = draft_->engine();
    almanacs_ = new QComboBox(this);
    almanacs_->setObjectName(ControlName(161));
    almanacs_->setMinimumContentsLength(12);
    connect(almanacs_, &QComboBox::activated, this, [this] { SelectionChanged(); });
    directoryText_ = new QLabel(this);
    directoryText_->setObjectName(ControlName(645));
    directoryText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    directoryText_->setFrameShape(QFrame::StyledPanel);
    directoryText_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    date_ = new QLabel(this);
    date_->setObjectName(ControlName(kAlmanacDateId));

    auto button = [this](int id, int textId) {
        auto* b = new QPushButton(Res(textId), this);
        b->setObjectName(ControlName(id));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* changeDir = button(662, IDS_CFGDLG_CHANGE_DIR);
    QPushButton* import = button(kImportButtonId, IDS_CFGDLG_IMPORT);
    QPushButton* ok = button(1, IDS_BUTTON_OK);
    QPushButton* cancel = button(2, IDS_BUTTON_CANCEL);
    QPushButton* help = button(9, IDS_HELP_BUTTON);
    ok->setDefault(true);
    connect(changeDir, &QPushButton::clicked, this, &ConfigDialog::ChangeDirectory);
    connect(import, &QPushButton::clicked, this, &ConfigDialog::Import);
    QPushButton* download = button(kDownloadDialogButton, IDS_CFGDLG_DOWNLOAD);
    connect(download, &QPushButton::clicked, this, &ConfigDialog::Download);
    connect(ok, &QPushButton::clicked, this, &ConfigDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ConfigDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kConfigHelpContext); });

    gps_ = new TSatelliteGroup(this, Res(IDS_CFGDLG_GPS), kGpsIds, engine);
    glonass_ = new TSatelliteGroup(this, Res(IDS_CFGDLG_GLONASS), kGlonassIds, engine);

    laterPages_ = new QTabWidget(this);
    laterPages_->setObjectName(ControlName(kLaterSystemsId));
    for (int s = 0; s < kLaterSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s + 2);
        later_[s] = new TSatelliteGroup(laterPages_, Text(SystemTitle(system)), kLaterIds[s], engine);
        laterPages_->addTab(later_[s], Text(SystemTitle(system)));
    }
    QPushButton* navigation = button(kNavigationButtonId, IDS_CFGDLG_NAVIGATION);
    connect(navigation, &QPushButton::clicked, this, &ConfigDialog::AddNavigationFiles);
    auto* laterBox = new QGroupBox(Res(IDS_CFGDLG_LATER_SYSTEMS), this);
    auto* laterLayout = new QVBoxLayout(laterBox);
    laterLayout->addWidget(laterPages_);
    QPushButton* remove = button(kRemoveNavigationId, IDS_CFGDLG_REMOVE_NAVIGATION);
    connect(remove, &QPushButton::clicked, this, &ConfigDialog::RemoveNavigationFiles);
    auto* navigationRow = new QHBoxLayout;
    navigationRow->addStretch();
    navigationRow->addWidget(navigation);
    navigationRow->addWidget(remove);
    laterLayout->addLayout(navigationRow);

    // Where each system's orbits come from; GPS and GLONASS may have both sources.
    auto* orbitsBox = new QGroupBox(Res(IDS_CFGDLG_ORBITS), this);
    auto* orbits = new QGridLayout(orbitsBox);
    for (int s = 0; s < kGnssSystems; ++s) {
        orbits->addWidget(new QLabel(Text(SystemTitle(static_cast<GnssSystem>(s))), orbitsBox), s, 0);
        if (s < 2) {
            auto* box = new QComboBox(orbitsBox);
            box->setObjectName(ControlName(kSourceBoxIds + s));
            for (int textId :
                 {IDS_CFGDLG_SOURCE_NEAREST, IDS_CFGDLG_SOURCE_ALMANAC, IDS_CFGDLG_SOURCE_NAVIGATION})
                box->addItem(Res(textId));
            connect(box, &QComboBox::activated, this, [this, s] { SourceSelected(s); });
            orbits->addWidget(box, s, 1);
            sourceBoxes_[s] = box;
        }
        sourceTexts_[s] = new QLabel(orbitsBox);
        sourceTexts_[s]->setObjectName(ControlName(kSourceTextIds + s));
        orbits->addWidget(sourceTexts_[s], s, 2);
    }
    orbits->setColumnStretch(2, 1);

    auto* top = new QGridLayout;
    auto* almanacLabel = new QLabel(Res(IDS_CFGDLG_ALMANAC), this);
    almanacLabel->setBuddy(almanacs_);
    top->addWidget(almanacLabel, 0, 0);
    top->addWidget(almanacs_, 0, 1);
    top->addWidget(import, 0, 2);
    top->addWidget(download, 1, 2);
    top->addWidget(date_, 1, 1);
    top->addWidget(new QLabel(Res(IDS_CFGDLG_DIRECTORY), this), 2, 0);
    top->addWidget(directoryText_, 2, 1);
    top->addWidget(changeDir, 2, 2);
    top->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    // The satellites scroll where the screen is too low for them all; the almanac lines above, the
    // orbit sources and the buttons below always show.
    auto* systems = new QWidget;
    auto* systemsLayout = new QVBoxLayout(systems);
    systemsLayout->setContentsMargins(0, 0, 0, 0);
    systemsLayout->addWidget(gps_);
    systemsLayout->addWidget(glonass_);
    systemsLayout->addWidget(laterBox);
    auto* scroll = new FullScrollArea(this);
    scroll->setObjectName(QStringLiteral("systemsArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(systems);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(scroll, 1);
    layout->addWidget(orbitsBox);
    layout->addLayout(buttons);
}

void ConfigDialog::Construct() {
    buffer_.almanacs.clear();
    buffer_.almanacSelection = -1;
    buffer_.directory = session_.directory();
    ASortedList<AString>& names = AlmanacNameList();
    if (!ScanAlmanacDirectory(buffer_.directory, names)) {
        // Nothing to choose: the engine holds no almanac from here on, and the user is told where
        // the search looked.
        session_.LoadAlmanac(buffer_.directory);
        ErrorWithPath(IDS_NO_ALMANAC_FILES, buffer_.directory + ResString(IDS_ALMANAC_PATTERN));
        return;
    }
    for (bool more = names.First(); more; more = names.Next())
        buffer_.almanacs.push_back(names.Current()->Text());

    const std::string currentName = FileNameOf(session_.almanac().path);
    const auto found = std::find(buffer_.almanacs.begin(), buffer_.almanacs.end(), currentName);
    buffer_.almanacSelection =
        found == buffer_.almanacs.end() ? 0 : static_cast<int>(found - buffer_.almanacs.begin());
    // An almanac not in the directory, or replaced under its name, is not the one loaded: the
    // session takes the one listed, and keeps it whatever the dialog ends with.
    if (found != buffer_.almanacs.end() && DirectoryOf(session_.almanac().path) == buffer_.directory) {
        if (!session_.ReloadIfReplaced())
            return;
    } else {
        session_.LoadAlmanac(
            AlmanacPath(buffer_.directory, buffer_.almanacs[static_cast<size_t>(buffer_.almanacSelection)]));
    }
    MessageBoxRes(nullptr, Res(IDS_ALMANAC_CHANGED), IDS_WARNING, MB_ICONEXCLAMATION);
    host_.AlmanacAgeWarning(session_, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
    // Every usable satellite of the new almanac starts checked.
    session_.SetSystemOn(GnssSystem::Gps, true);
    session_.SetSystemOn(GnssSystem::Glonass, true);
}

void ConfigDialog::TransferIn() {
    const BufferForConfiguration& buffer = buffer_;
    almanacs_->clear();
    for (const std::string& name : buffer.almanacs)
        almanacs_->addItem(Text(name));
    almanacs_->setCurrentIndex(buffer.almanacSelection);
    gps_->SetStates(buffer);
    glonass_->SetStates(buffer);
    for (TSatelliteGroup* group : later_)
        group->SetStates(buffer);
    directory_ = buffer.directory;
    directoryText_->setText(Text(directory_));
}

void ConfigDialog::TransferOut() {
    BufferForConfiguration& buffer = buffer_;
    buffer.almanacs.clear();
    for (int k = 0; k < almanacs_->count(); ++k)
        buffer.almanacs.push_back(almanacs_->itemText(k).toStdString());
    buffer.almanacSelection = almanacs_->currentIndex();
    gps_->GetStates(buffer);
    glonass_->GetStates(buffer);
    for (TSatelliteGroup* group : later_)
        group->GetStates(buffer);
    buffer.directory = directory_;
}

void ConfigDialog::SetUpWindow() {
    gps_->DisableWhatIsAbsent();
    glonass_->DisableWhatIsAbsent();
    for (TSatelliteGroup* group : later_)
        group->DisableWhatIsAbsent();
    ShowAlmanacDate();
    ShowSources();
    // The whole dialog answers F1 with its topic while it is open.
    SetHelpContext(this, kConfigHelpContext);
}

std::string ConfigDialog::SelectedPath() const {
    if (almanacs_->currentIndex() < 0)
        return directory_;
    return AlmanacPath(directory_, almanacs_->currentText().toStdString());
}

void ConfigDialog::SelectionChanged() {
    {
        WaitCursor wait;
        draft_->LoadAlmanac(SelectedPath());
        // Which source is nearer the planning date may change with the almanac.
        draft_->UpdateStatuses();
    }
    gps_->RefreshFromEngine();
    glonass_->RefreshFromEngine();
    ShowAlmanacDate();
    ShowSources();
}

bool ConfigDialog::ChooseFiles(int titleId, int filterId, QStringList& chosen) {
    FileRequest request;
    request.title = Res(titleId);
    request.filter = Res(filterId);
    // Where the almanacs are kept, not wherever the last file dialog was.
    request.directory = Text(directory_);
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return ThePrompts().OpenFileNames(this, request, chosen) && !chosen.isEmpty();
}

void ConfigDialog::AddNavigationFiles() {
    QStringList chosen;
    if (!ChooseFiles(IDS_CFGDLG_NAVIGATION_TITLE, IDS_CFGDLG_NAVIGATION_FILTER, chosen))
        return;
    const auto before = Sources();
    std::string problems;
    {
        WaitCursor wait;
        const auto line = [&problems](const std::string& text) {
            problems += (problems.empty() ? "" : "\n") + text;
        };
        for (const QString& path : chosen) {
            // A refused file adds nothing; the skipped lines of a read one are told all the same.
            const NavigationRead read = draft_->AddNavigationFile(path.toStdString());
            if (!read.error.empty())
                line(read.error);
            for (const std::string& w : read.warnings)
                line(w);
        }
    }
    if (!problems.empty())
        MessageBoxRes(this, Text(problems), IDS_WARNING, MB_ICONEXCLAMATION);
    RefreshSystems(before);
}

void ConfigDialog::RemoveNavigationFiles() {
    const auto before = Sources();
    draft_->RemoveNavigationFiles();
    RefreshSystems(before);
}

void ConfigDialog::SourceSelected(int system) {
    const auto before = Sources();
    const OrbitSource sources[] = {OrbitSource::None, OrbitSource::Almanac, OrbitSource::Broadcast};
    draft_->ChooseSource(static_cast<GnssSystem>(system),
                         sources[std::max(0, sourceBoxes_[system]->currentIndex())]);
    RefreshSystems(before);
}

void ConfigDialog::ShowSources() {
    const Calculator& engine = draft_->engine();
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        if (QComboBox* box = sourceBoxes_[s]) {
            const OrbitSource source = engine.source(system);
            box->setCurrentIndex(!engine.SourceChosen(system) ? 0 : source == OrbitSource::Almanac ? 1 : 2);
            // A source without orbits of the system cannot be chosen.
            if (auto* items = qobject_cast<QStandardItemModel*>(box->model())) {
                items->item(1)->setEnabled(engine.HasSource(system, OrbitSource::Almanac));
                items->item(2)->setEnabled(engine.HasSource(system, OrbitSource::Broadcast));
            }
        }
        std::string text;
        int satellites = 0;
        double first = 0, last = 0;
        if (engine.source(system) == OrbitSource::Almanac) {
            text = FormatText(LoadResString(IDS_CFGDLG_USES_ALMANAC),
                              FileNameOf(draft_->almanac().path).c_str());
        } else if (engine.source(system) == OrbitSource::Broadcast &&
                   engine.broadcast().Coverage(system, satellites, first, last)) {
            // Files of another day plan nothing of the system at this one.
            text = draft_->HasOrbits(system)
                       ? FormatText(LoadResString(IDS_CFGDLG_USES_NAVIGATION), satellites,
                                    MinuteText(first).c_str(), MinuteText(last).c_str())
                       : FormatText(LoadResString(IDS_CFGDLG_NO_ORBITS_AT_DATE), MinuteText(first).c_str(),
                                    MinuteText(last).c_str());
        } else {
            text = ResString(IDS_CFGDLG_USES_NOTHING);
        }
        sourceTexts_[s]->setText(Text(text));
    }
}

std::array<OrbitSource, kGnssSystems> ConfigDialog::Sources() const {
    std::array<OrbitSource, kGnssSystems> sources;
    for (int s = 0; s < kGnssSystems; ++s)
        sources[s] = draft_->engine().source(static_cast<GnssSystem>(s));
    return sources;
}

void ConfigDialog::RefreshSystems(const std::array<OrbitSource, kGnssSystems>& before) {
    const Calculator& engine = draft_->engine();
    draft_->UpdateStatuses();
    for (TSatelliteGroup* group : later_)
        group->RefreshFromEngine();
    // GPS and GLONASS planned from the other source now: their boxes follow.
    if (engine.source(GnssSystem::Gps) != before[0])
        gps_->RefreshFromEngine();
    if (engine.source(GnssSystem::Glonass) != before[1])
        glonass_->RefreshFromEngine();
    ShowSources();
    ShowAlmanacDate();
}

void ConfigDialog::FillList(const std::string& name) {
    almanacs_->clear();
    ASortedList<AString>& names = AlmanacNameList();
    int select = 0;
    for (bool more = names.First(); more; more = names.Next()) {
        const std::string n = names.Current()->Text();
        if (n == name)
            select = almanacs_->count();
        almanacs_->addItem(Text(n));
    }
    almanacs_->setCurrentIndex(select);
}

void ConfigDialog::ChangeDirectory() {
    FileRequest request;
    request.title = Res(IDS_CHANGE_ALMANAC_DIR);
    request.filter = Res(IDS_ALMANAC_FILTER);
    request.defaultExtension = Res(IDS_ALMANAC_DEFAULT_EXTENSION);
    request.directory = Text(directory_);
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    QString chosen;
    if (!ThePrompts().OpenFileName(this, request, chosen))
        return;
    const std::string path = chosen.toStdString();
    const std::string directory = DirectoryOf(path);
    if (!ScanAlmanacDirectory(directory, AlmanacNameList())) {
        ErrorWithPath(IDS_NO_ALMANAC_FILES, directory + ResString(IDS_ALMANAC_PATTERN));
        return;
    }
    FillList(FileNameOf(path));
    directory_ = directory;
    directoryText_->setText(Text(directory_));
    SelectionChanged();
}

std::string ConfigDialog::WritableDirectory() {
    // Never into the program's own folder: the user's almanac directory instead, started with a
    // copy of the bundled almanacs.
    std::error_code ec;
    const bool own = std::filesystem::equivalent(directory_, BundledDataDirectory() + "almanacs", ec);
    if ((own || access(directory_.c_str(), W_OK) != 0) && MakeUserAlmanacDirectory()) {
        directory_ = UserAlmanacDirectory();
        directoryText_->setText(Text(directory_));
    }
    return directory_;
}

void ConfigDialog::Download() {
    DownloadDialog d(this, IntervalBeginDate(draft_->interval()), WritableDirectory());
    if (d.exec() == QDialog::Accepted)
        AdoptFetched(d.Report());
}

void ConfigDialog::AdoptFetched(const FetchReport& report) {
    const auto before = Sources();
    {
        WaitCursor wait;
        draft_->AddNewOrbitFiles(report.orbitFiles);
    }
    if (!report.almanacPath.empty() &&
        ScanAlmanacDirectory(DirectoryOf(report.almanacPath), AlmanacNameList())) {
        directory_ = DirectoryOf(report.almanacPath);
        directoryText_->setText(Text(directory_));
        FillList(FileNameOf(report.almanacPath));
        SelectionChanged();
    }
    RefreshSystems(before);
}

void ConfigDialog::Import() {
    QStringList chosen;
    if (!ChooseFiles(IDS_CFGDLG_IMPORT_TITLE, IDS_CFGDLG_IMPORT_FILTER, chosen))
        return;
    std::vector<std::string> paths;
    for (const QString& p : chosen)
        paths.push_back(p.toStdString());
    AlmanacImportResult result;
    {
        WaitCursor wait;
        result = PlanSession::ImportPublished(paths, WritableDirectory());
    }
    // One box with everything the importer said: what was written, then its warnings.
    std::string text;
    auto line = [&text](const std::string& s) {
        if (!text.empty())
            text += '\n';
        text += s;
    };
    if (!result.written) {
        for (const std::string& e : result.errors)
            line(e);
        for (const std::string& w : result.warnings)
            line(w);
        if (text.empty())
            line(ResString(IDS_CFGDLG_NOT_IMPORTED));
        MessageBoxRes(this, Text(text), IDS_ERROR, MB_ICONEXCLAMATION);
        return;
    }
    line(FormatText(LoadResString(IDS_CFGDLG_IMPORTED), result.path.c_str()));
    if (result.gps.present)
        line(ImportSummaryLine(ResString(IDS_IMPORT_GPS).c_str(), result.gps));
    if (result.glonass.present)
        line(ImportSummaryLine(ResString(IDS_IMPORT_GLONASS).c_str(), result.glonass));
    for (const std::string& w : result.warnings)
        line(w);
    MessageBoxRes(this, Text(text), result.warnings.empty() ? IDS_INFORMATION : IDS_WARNING,
                  result.warnings.empty() ? MB_ICONASTERISK : MB_ICONEXCLAMATION);
    ScanAlmanacDirectory(directory_, AlmanacNameList());
    FillList(FileNameOf(result.path));
    SelectionChanged();
}

void ConfigDialog::ShowAlmanacDate() {
    const std::optional<AlmanacDay> day = draft_->AlmanacDate();
    if (!day) {
        date_->setText(Res(IDS_CFGDLG_NO_ALMANAC_DATE));
        return;
    }
    // An almanac dated after the planning date has no age there: said in words, not as a minus.
    const bool ahead = day->age < 0;
    const QString date = ScreenDate(day->date.year + 1900, day->date.month + 1, day->date.day);
    date_->setText(Text(
        FormatText(LoadResString(ahead ? IDS_CFGDLG_ALMANAC_DATE_AHEAD_TEXT : IDS_CFGDLG_ALMANAC_DATE_TEXT),
                   date.toUtf8().constData(), ahead ? -day->age : day->age)));
    // Beyond the limit of the age warning: in the colour of the unhealthy markers.
    QPalette palette = date_->palette();
    palette.setColor(QPalette::WindowText, std::abs(day->age) > kAlmanacAgeLimitDays
                                               ? QColor(128, 0, 0)
                                               : this->palette().color(QPalette::WindowText));
    date_->setPalette(palette);
}

void ConfigDialog::accept() {
    if (almanacs_->count() == 0 || almanacs_->currentIndex() < 0) {
        MessageBoxRes(nullptr, Res(IDS_NO_ALMANAC_SELECTED), IDS_ERROR, MB_ICONEXCLAMATION);
        return;
    }
    // A file that does not load is refused even when it is the one recorded: OK would otherwise
    // end with no almanac and nothing said.
    if (draft_->engine().loadState() != kLoadOk) {
        ErrorWithPath(IDS_BAD_ALMANAC_FILE, SelectedPath());
        return;
    }
    if (!SameAlmanac(session_.almanac(), draft_->almanac()) &&
        host_.AlmanacAgeWarning(*draft_, MB_TASKMODAL | MB_ICONEXCLAMATION | MB_YESNO) != IDYES)
        return;
    TransferOut();
    ApplySatelliteStates(buffer_, *draft_);
    draft_->SetDirectory(directory_);
    session_.Adopt(*draft_);
    QDialog::accept();
}
