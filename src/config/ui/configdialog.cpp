#include "config/ui/configdialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <optional>

#include "base/astring.h"
#include "base/strings.h"
#include "config/ui/almanacstatus.h"
#include "config/ui/configdialoghost.h"
#include "config/ui/satellitegroup.h"
#include "engine/almanac_import.h"
#include "engine/almanac_scan.h"
#include "engine/gnsstime.h"
#include "engine/rinexnav.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"
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

constexpr SatelliteGroupIds kGpsIds{365, 173, 1000, 357, 358, 0, kGpsSatellites, 16};
constexpr SatelliteGroupIds kGlonassIds{366, 205, 1032, 359, 360, kGpsSatellites, kGlonassSatellites, 12};
// The later systems' controls: system box, boxes, markers and the two buttons, in one id block each.
constexpr SatelliteGroupIds kLaterIds[3] = {
    {47730, 47731, 47767, 47803, 47804, 56, 36, 12},
    {47805, 47806, 47869, 47932, 47933, 92, 63, 16},
    {47934, 47935, 47945, 47955, 47956, 155, 10, 12},
};

struct AlmanacDay {
    CalendarTime date;
    int age = 0; // days from the almanac to the planning date
};

// The date of the loaded almanac: that of the first GPS record, else the GLONASS day nearest the
// planning date; none without a loaded almanac.
std::optional<AlmanacDay> DateOfAlmanac(const Calculator& calc, const PlanInterval& interval) {
    if (calc.loadState() != kLoadOk)
        return std::nullopt;
    const CalendarTime plan =
        MakeCalendarTime(0, 0, 0, interval.beginDay, interval.beginMonth, interval.beginYear);
    const int32_t planDay = ToDayTime(plan).day;
    for (int i = 0; i < kGpsSatellites; ++i) {
        if (!calc.HasAlmanac(i))
            continue;
        const GpsAlmanacRecord& r = calc.gpsRecords()[static_cast<size_t>(i)];
        const CalendarTime date = GpsToCalendar(GpsTime{r.week, static_cast<double>(r.toa)});
        return AlmanacDay{date, planDay - ToDayTime(date).day};
    }
    for (int i = kGpsSatellites; i < kSatellites; ++i) {
        if (!calc.HasAlmanac(i))
            continue;
        // The day within the four-year period, in the period that puts it nearest the planning date.
        int age = ToGlonassTime(plan).dayIndex + 1 -
                  calc.glonassRecords()[static_cast<size_t>(i - kGpsSatellites)].n;
        if (age > 730)
            age -= 1461;
        if (age < -730)
            age += 1461;
        return AlmanacDay{FromDayTime(DayTime{planDay - age, 0.0}), age};
    }
    return std::nullopt;
}

} // namespace

ConfigDialog::ConfigDialog(QWidget* parent, ConfigDialogHost& host) : QDialog(parent), host_(host) {
    setObjectName(ControlName(kConfigDialogId));
    setWindowTitle(Res(IDS_CFGDLG_CAPTION));
    openingFiles_ = host_.NavigationFiles();
    for (int s = 0; s < kGnssSystems; ++s) {
        openingSources_[s] = host_.Engine().source(static_cast<GnssSystem>(s));
        openingChosen_[s] = host_.Engine().SourceChosen(static_cast<GnssSystem>(s));
    }
    // The navigation files' satellites come and go with the planning date: their boxes start from
    // what the engine holds for it now.
    if (host_.Engine().broadcast().RecordCount() > 0) {
        host_.Engine().UpdateStatuses(host_.Interval(), 0);
        RefreshSatelliteStates(host_.Engine(), host_.SatelliteBuffer());
    }
    BuildControls();
    Construct();
    TransferIn();
    SetUpWindow();
}

void ConfigDialog::BuildControls() {
    Calculator& engine = host_.Engine();
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
    connect(ok, &QPushButton::clicked, this, &ConfigDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ConfigDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kConfigHelpContext); });

    gps_ = new TSatelliteGroup(this, Res(IDS_CFGDLG_GPS), kGpsIds, engine);
    glonass_ = new TSatelliteGroup(this, Res(IDS_CFGDLG_GLONASS), kGlonassIds, engine);

    laterPages_ = new QTabWidget(this);
    laterPages_->setObjectName(ControlName(kLaterSystemsId));
    for (int s = 0; s < 3; ++s) {
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
    top->addWidget(date_, 1, 1, 1, 2);
    top->addWidget(new QLabel(Res(IDS_CFGDLG_DIRECTORY), this), 2, 0);
    top->addWidget(directoryText_, 2, 1);
    top->addWidget(changeDir, 2, 2);
    top->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(gps_);
    layout->addWidget(glonass_);
    layout->addWidget(laterBox);
    layout->addWidget(orbitsBox);
    layout->addLayout(buttons);
}

void ConfigDialog::Construct() {
    BufferForConfiguration& buffer = host_.SatelliteBuffer();
    buffer.almanacs.clear();
    buffer.almanacSelection = -1;
    ASortedList<AString>& names = AlmanacNameList();
    if (!ScanAlmanacDirectory(buffer.directory, names)) {
        // Nothing to choose: the engine holds no almanac from here on, and the user is told where
        // the search looked.
        host_.LoadAlmanacFile(buffer.directory);
        host_.RecordAlmanac(buffer.directory);
        RefreshSatelliteStates(host_.Engine(), buffer);
        ErrorWithPath(IDS_NO_ALMANAC_FILES, buffer.directory + ResString(IDS_ALMANAC_PATTERN));
        return;
    }
    for (bool more = names.First(); more; more = names.Next())
        buffer.almanacs.push_back(names.Current()->Text());

    const CurrentAlmanac& current = host_.Almanac();
    const std::string currentName = FileNameOf(current.path);
    buffer.almanacSelection = 0;
    for (size_t k = 0; k < buffer.almanacs.size(); ++k)
        if (buffer.almanacs[k] == currentName)
            buffer.almanacSelection = static_cast<int>(k);
    const std::string path =
        AlmanacPath(buffer.directory, buffer.almanacs[static_cast<size_t>(buffer.almanacSelection)]);
    if (SameAlmanac(current, ReadAlmanacStatus(path)))
        return;
    host_.LoadAlmanacFile(path);
    host_.RecordAlmanac(path);
    host_.Changes().Set(ChangeFlags::kAlmanac);
    MessageBoxRes(nullptr, Res(IDS_ALMANAC_CHANGED), IDS_WARNING, MB_ICONEXCLAMATION);
    host_.AlmanacAgeWarning(MB_TASKMODAL | MB_ICONEXCLAMATION | MB_OK);
    // Every usable satellite of the new almanac starts checked.
    buffer.gps = 1;
    buffer.glonass = 1;
    RefreshSatelliteStates(host_.Engine(), buffer);
}

void ConfigDialog::TransferIn() {
    const BufferForConfiguration& buffer = host_.SatelliteBuffer();
    almanacs_->clear();
    for (const std::string& name : buffer.almanacs)
        almanacs_->addItem(Text(name));
    almanacs_->setCurrentIndex(buffer.almanacSelection);
    gps_->SetStates(buffer.gps, buffer.satellites);
    glonass_->SetStates(buffer.glonass, buffer.satellites + kGpsSatellites);
    for (int s = 0; s < 3; ++s)
        later_[s]->SetStates(buffer.laterSystems[s],
                             buffer.laterSatellites + (SatelliteCatalogue::kFirst[s + 2] - kSatellites));
    directory_ = buffer.directory;
    directoryText_->setText(Text(directory_));
}

void ConfigDialog::TransferOut() {
    BufferForConfiguration& buffer = host_.SatelliteBuffer();
    buffer.almanacs.clear();
    for (int k = 0; k < almanacs_->count(); ++k)
        buffer.almanacs.push_back(almanacs_->itemText(k).toStdString());
    buffer.almanacSelection = almanacs_->currentIndex();
    buffer.gps = gps_->SystemState();
    buffer.glonass = glonass_->SystemState();
    gps_->GetStates(buffer.satellites);
    glonass_->GetStates(buffer.satellites + kGpsSatellites);
    for (int s = 0; s < 3; ++s) {
        buffer.laterSystems[s] = later_[s]->SystemState();
        later_[s]->GetStates(buffer.laterSatellites + (SatelliteCatalogue::kFirst[s + 2] - kSatellites));
    }
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
        host_.LoadAlmanacFile(SelectedPath());
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
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return ThePrompts().OpenFileNames(this, request, chosen) && !chosen.isEmpty();
}

std::string ConfigDialog::ReadNavigation(const QStringList& paths) {
    WaitCursor wait;
    std::string problems;
    for (const QString& p : paths) {
        const std::string path = p.toStdString();
        const NavigationFile file = ReadNavigationFile(path);
        // A refused file adds nothing; the skipped lines of a read one are told all the same.
        for (const std::string& e : file.errors)
            problems += (problems.empty() ? "" : "\n") + e;
        for (const std::string& w : file.warnings)
            problems += (problems.empty() ? "" : "\n") + w;
        if (file.errors.empty()) {
            host_.Engine().AddNavigation(file);
            host_.NavigationFiles().push_back(path);
        }
    }
    return problems;
}

void ConfigDialog::AddNavigationFiles() {
    QStringList chosen;
    if (!ChooseFiles(IDS_CFGDLG_NAVIGATION_TITLE, IDS_CFGDLG_NAVIGATION_FILTER, chosen))
        return;
    const auto before = Sources();
    const std::string problems = ReadNavigation(chosen);
    if (!problems.empty())
        MessageBoxRes(this, Text(problems), IDS_WARNING, MB_ICONEXCLAMATION);
    RefreshSystems(before);
}

void ConfigDialog::RemoveNavigationFiles() {
    const auto before = Sources();
    host_.Engine().ClearNavigation();
    host_.NavigationFiles().clear();
    RefreshSystems(before);
}

void ConfigDialog::SourceSelected(int system) {
    Calculator& engine = host_.Engine();
    const auto before = Sources();
    const GnssSystem s = static_cast<GnssSystem>(system);
    switch (sourceBoxes_[system]->currentIndex()) {
    case 1:
        engine.SetSource(s, OrbitSource::Almanac);
        break;
    case 2:
        engine.SetSource(s, OrbitSource::Broadcast);
        break;
    default:
        engine.ChooseSourceAutomatically(s);
        break;
    }
    RefreshSystems(before);
}

void ConfigDialog::ShowSources() {
    const Calculator& engine = host_.Engine();
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
            text =
                FormatText(LoadResString(IDS_CFGDLG_USES_ALMANAC), FileNameOf(host_.Almanac().path).c_str());
        } else if (engine.source(system) == OrbitSource::Broadcast &&
                   engine.broadcast().Coverage(system, satellites, first, last)) {
            text = FormatText(LoadResString(IDS_CFGDLG_USES_NAVIGATION), satellites,
                              MinuteText(first).c_str(), MinuteText(last).c_str());
        } else {
            text = ResString(IDS_CFGDLG_USES_NOTHING);
        }
        sourceTexts_[s]->setText(Text(text));
    }
}

std::array<OrbitSource, kGnssSystems> ConfigDialog::Sources() const {
    std::array<OrbitSource, kGnssSystems> sources;
    for (int s = 0; s < kGnssSystems; ++s)
        sources[s] = host_.Engine().source(static_cast<GnssSystem>(s));
    return sources;
}

void ConfigDialog::RefreshSystems(const std::array<OrbitSource, kGnssSystems>& before) {
    Calculator& engine = host_.Engine();
    engine.UpdateStatuses(host_.Interval(), 0);
    for (TSatelliteGroup* group : later_)
        group->RefreshFromEngine();
    // GPS and GLONASS planned from the other source now: their boxes follow.
    if (engine.source(GnssSystem::Gps) != before[0])
        gps_->RefreshFromEngine();
    if (engine.source(GnssSystem::Glonass) != before[1])
        glonass_->RefreshFromEngine();
    ShowSources();
    host_.Changes().Set(ChangeFlags::kAlmanac);
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
        result = ImportAlmanacFiles(paths, directory_, TodayUtc());
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
    const std::optional<AlmanacDay> day = DateOfAlmanac(host_.Engine(), host_.Interval());
    if (!day) {
        date_->setText(Res(IDS_CFGDLG_NO_ALMANAC_DATE));
        return;
    }
    date_->setText(Text(FormatText(LoadResString(IDS_CFGDLG_ALMANAC_DATE), day->date.year + 1900,
                                   day->date.month + 1, day->date.day, day->age)));
    // Beyond the limit of the age warning: in the colour of the unhealthy markers.
    QPalette palette = date_->palette();
    palette.setColor(QPalette::WindowText, day->age > 60 || day->age < -60
                                               ? QColor(128, 0, 0)
                                               : this->palette().color(QPalette::WindowText));
    date_->setPalette(palette);
}

void ConfigDialog::accept() {
    if (almanacs_->count() == 0 || almanacs_->currentIndex() < 0) {
        MessageBoxRes(nullptr, Res(IDS_NO_ALMANAC_SELECTED), IDS_ERROR, MB_ICONEXCLAMATION);
        return;
    }
    const std::string path = SelectedPath();
    // A file that does not load is refused even when it is the one recorded: OK would otherwise
    // end with no almanac and nothing said.
    if (host_.Engine().loadState() != kLoadOk) {
        ErrorWithPath(IDS_BAD_ALMANAC_FILE, path);
        return;
    }
    if (!SameAlmanac(host_.Almanac(), ReadAlmanacStatus(path))) {
        if (host_.AlmanacAgeWarning(MB_TASKMODAL | MB_ICONEXCLAMATION | MB_YESNO) != IDYES)
            return;
        host_.RecordAlmanac(path);
        host_.Changes().Set(ChangeFlags::kAlmanac);
    }
    host_.Changes().Set(ChangeFlags::kSatellites);
    TransferOut();
    QDialog::accept();
    ApplySatelliteStates(host_.SatelliteBuffer(), host_.Engine());
}

void ConfigDialog::reject() {
    const CurrentAlmanac& current = host_.Almanac();
    if (!SameAlmanac(current, ReadAlmanacStatus(SelectedPath()))) {
        {
            WaitCursor wait;
            host_.LoadAlmanacFile(current.path);
        }
        host_.Changes().Set(ChangeFlags::kAlmanac);
        if (host_.Engine().loadState() != kLoadOk && !FileNameOf(current.path).empty())
            ErrorWithPath(IDS_BAD_ALMANAC_FILE, current.path);
    }
    Calculator& engine = host_.Engine();
    if (host_.NavigationFiles() != openingFiles_) {
        engine.ClearNavigation();
        host_.NavigationFiles().clear();
        QStringList paths;
        for (const std::string& p : openingFiles_)
            paths.push_back(QString::fromStdString(p));
        ReadNavigation(paths); // read a moment ago; a file gone since stays out
        host_.Changes().Set(ChangeFlags::kAlmanac);
    }
    for (int s = 0; s < kGnssSystems; ++s) {
        const GnssSystem system = static_cast<GnssSystem>(s);
        if (engine.SourceChosen(system) == openingChosen_[s] && engine.source(system) == openingSources_[s])
            continue;
        if (openingChosen_[s])
            engine.SetSource(system, openingSources_[s]);
        else
            engine.ChooseSourceAutomatically(system);
        host_.Changes().Set(ChangeFlags::kAlmanac);
    }
    // A selection loaded meanwhile reset the satellites: the user's earlier choice comes back.
    ApplySatelliteStates(host_.SatelliteBuffer(), engine);
    QDialog::reject();
}
