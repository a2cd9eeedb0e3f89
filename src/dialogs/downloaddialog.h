// Setup > Satellites > Download...: the orbits of a date from the published sources, fetched off the
// window's thread with a progress bar per source and a Cancel that stops the transfer.
#pragma once

#include <QDialog>

#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "net/fetch.h"

class QCheckBox;
class QDateEdit;
class QFormLayout;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

inline constexpr int kDownloadDialogButton = 48150; // in the satellite configuration dialog
inline constexpr int kDownloadDateId = 48151;
inline constexpr int kDownloadSystemIds = 48152; // +0 .. +5, the systems in catalogue order
inline constexpr int kDownloadStartId = 48158;
inline constexpr int kDownloadSummaryId = 48159;

class DownloadDialog : public QDialog {
public:
    // `directory`: where the files go; `sourcesPath`: the sources file.
    DownloadDialog(QWidget* parent, const CalendarTime& date, std::string directory,
                   std::string sourcesPath = DefaultFetchSourcesPath());
    ~DownloadDialog() override;

    bool Running() const { return worker_.joinable() && !finished_; }
    // What the last fetch brought; empty before one ended.
    const FetchReport& Report() const { return report_; }

    void Start();
    void reject() override; // Cancel: stops a running fetch first

private:
    void Progress(const std::string& id, size_t bytes, size_t total);
    void Finished();
    void Join();

    std::string directory_, sourcesPath_;
    QDateEdit* date_ = nullptr;
    QCheckBox* systems_[kGnssSystems] = {};
    QPushButton* start_ = nullptr;
    QPushButton* close_ = nullptr;
    QFormLayout* bars_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    std::map<std::string, QProgressBar*> progress_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool finished_ = false;
    FetchReport report_;
};
