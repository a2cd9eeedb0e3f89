#include "dialogs/downloaddialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/prompts.h"

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

DownloadDialog::DownloadDialog(QWidget* parent, const CalendarTime& date, std::string directory,
                               std::string sourcesPath)
    : QDialog(parent), directory_(std::move(directory)), sourcesPath_(std::move(sourcesPath)) {
    setWindowTitle(Res(IDS_DOWNLOAD_TITLE));
    date_ = new QDateEdit(QDate(date.year + 1900, date.month + 1, date.day), this);
    date_->setObjectName(ControlName(kDownloadDateId));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* systemsBox = new QGroupBox(Res(IDS_DOWNLOAD_SYSTEMS), this);
    auto* systemsRow = new QHBoxLayout(systemsBox);
    for (int s = 0; s < kGnssSystems; ++s) {
        systems_[s] = new QCheckBox(Text(SystemName(static_cast<GnssSystem>(s))), systemsBox);
        systems_[s]->setObjectName(ControlName(kDownloadSystemIds + s));
        systems_[s]->setChecked(true);
        systemsRow->addWidget(systems_[s]);
    }
    auto* progressBox = new QGroupBox(Res(IDS_DOWNLOAD_PROGRESS), this);
    bars_ = new QFormLayout(progressBox);
    summary_ = new QPlainTextEdit(this);
    summary_->setObjectName(ControlName(kDownloadSummaryId));
    summary_->setReadOnly(true);
    summary_->setMinimumHeight(fontMetrics().lineSpacing() * 6);
    start_ = new QPushButton(Res(IDS_DOWNLOAD_START), this);
    start_->setObjectName(ControlName(kDownloadStartId));
    start_->setDefault(true);
    close_ = new QPushButton(Res(IDS_BUTTON_CANCEL), this);
    close_->setObjectName(ControlName(2));
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });

    auto* form = new QFormLayout;
    form->addRow(Res(IDS_DOWNLOAD_DATE), date_);
    auto* where = new QLabel(Text(directory_), this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(Res(IDS_DOWNLOAD_INTO), where);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(systemsBox);
    layout->addWidget(progressBox);
    layout->addWidget(summary_, 1);
    layout->addLayout(buttons);
}

DownloadDialog::~DownloadDialog() {
    cancel_ = true;
    Join();
}

void DownloadDialog::Join() {
    if (worker_.joinable())
        worker_.join();
}

void DownloadDialog::Start() {
    if (Running())
        return;
    Join();
    std::ifstream in(sourcesPath_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const FetchSourceList list = ParseFetchSources(text.str(), sourcesPath_);
    if (!in || !list.errors.empty()) {
        std::string why = list.errors.empty()
                              ? FormatText(LoadResString(IDS_RINEX_CANNOT_OPEN), sourcesPath_.c_str())
                              : list.errors.front();
        summary_->setPlainText(Text(why));
        return;
    }
    FetchOptions options;
    const QDate d = date_->date();
    options.date = MakeCalendarTime(0, 0, 0, d.day(), d.month(), d.year());
    for (int s = 0; s < kGnssSystems; ++s)
        options.systems[static_cast<size_t>(s)] = systems_[s]->isChecked();
    options.directory = directory_;
    // One bar per source asked for, filled as its bytes arrive.
    for (const auto& entry : progress_)
        bars_->removeRow(entry.second);
    progress_.clear();
    for (const FetchSource& source : list.sources) {
        if (!FetchIdServesAny(source.id, options.systems) || progress_.count(source.id))
            continue;
        auto* bar = new QProgressBar(this);
        bar->setObjectName(Text("progress-" + source.id));
        bar->setRange(0, 0);
        bar->setFormat(QStringLiteral("%v kB"));
        bars_->addRow(Text(source.id), bar);
        progress_[source.id] = bar;
    }
    options.progress = [this](const std::string& id, size_t bytes, size_t total) {
        QMetaObject::invokeMethod(
            this, [this, id, bytes, total] { Progress(id, bytes, total); }, Qt::QueuedConnection);
        return !cancel_.load();
    };
    cancel_ = false;
    finished_ = false;
    report_ = FetchReport{};
    start_->setEnabled(false);
    summary_->setPlainText(Res(IDS_DOWNLOAD_RUNNING));
    worker_ = std::thread([this, list, options] {
        FetchReport report = FetchOrbits(list, options);
        QMetaObject::invokeMethod(
            this,
            [this, r = std::move(report)]() mutable {
                report_ = std::move(r);
                Finished();
            },
            Qt::QueuedConnection);
    });
}

void DownloadDialog::Progress(const std::string& id, size_t bytes, size_t total) {
    const auto it = progress_.find(id);
    if (it == progress_.end())
        return;
    QProgressBar* bar = it->second;
    bar->setRange(0, total > 0 ? static_cast<int>(total / 1024) : 0);
    bar->setValue(static_cast<int>(bytes / 1024));
}

void DownloadDialog::Finished() {
    Join();
    finished_ = true;
    std::string text = report_.error;
    for (const FetchItem& item : report_.items) {
        text += (text.empty() ? "" : "\n") + item.line;
        if (const auto it = progress_.find(item.id); it != progress_.end()) {
            it->second->setRange(0, 1);
            it->second->setValue(item.arrived ? 1 : 0);
            it->second->setFormat(Res(item.arrived ? IDS_DOWNLOAD_DONE : IDS_DOWNLOAD_FAILED));
        }
    }
    for (const std::string& line : report_.lines)
        text += (text.empty() ? "" : "\n") + line;
    if (report_.cancelled)
        text += (text.empty() ? "" : "\n") + ResString(IDS_FETCH_CANCELLED);
    summary_->setPlainText(Text(text));
    start_->setEnabled(true);
    close_->setText(Res(IDS_DOWNLOAD_CLOSE));
    if (closeWhenDone_ && report_.AllArrived())
        accept();
}

void DownloadDialog::reject() {
    if (Running()) {
        cancel_ = true; // the transfer stops at its next progress call; Finished follows
        return;
    }
    // After a fetch, closing keeps what arrived: the caller reads the report.
    if (finished_)
        accept();
    else
        QDialog::reject();
}
