// A started program in a private home and data directory, answered by scripted prompts.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/decmdiframe.h"
#include "app/mdiclient.h"
#include "app/orvantapp.h"
#include "base/strings.h"
#include "engine/almanac_fixture.h"
#include "engine/calculator.h"
#include "sites/sitelist_fixture.h"
#include "ui/help.h"
#include "ui/scripted_prompts.h"

namespace app_fixture {

namespace fs = std::filesystem;

// The 632-byte configuration file, written field by field.
struct ConfigBytes {
    std::string signature = "Project for \"Tavrin 32\"";
    int32_t mode3D = 1, fiveMinuteStep = 0, cutOffAngle = 15, useObstructions = 1, showTimeBar = 1,
            gpsEnabled = 1, glonassEnabled = 1;
    std::string almanacPath;
    int32_t loadLastAlmanac = 0;

    std::string Bytes() const {
        std::string out(632, '\0');
        out.replace(0, signature.size(), signature);
        const int32_t ints[] = {mode3D,      fiveMinuteStep, cutOffAngle,   useObstructions,
                                showTimeBar, gpsEnabled,     glonassEnabled};
        for (int i = 0; i < 7; ++i)
            for (int b = 0; b < 4; ++b)
                out[80 + 4 * i + b] = static_cast<char>((static_cast<uint32_t>(ints[i]) >> (8 * b)) & 0xFF);
        out.replace(108, almanacPath.size(), almanacPath);
        for (int b = 0; b < 4; ++b)
            out[628 + b] = static_cast<char>((static_cast<uint32_t>(loadLastAlmanac) >> (8 * b)) & 0xFF);
        return out;
    }
};

inline int32_t IntAt(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b)
        v = (v << 8) | static_cast<uint8_t>(bytes.at(offset + static_cast<size_t>(b)));
    return static_cast<int32_t>(v);
}

// A GPS-only almanac (its age then depends on the GPS records alone).
inline void WriteGpsAlmanac(const std::string& path) {
    almanac_fixture::Bytes b = almanac_fixture::FullAlmanac();
    b.b.resize(2240);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.b.data()), 2240);
}

// The planning date on which the almanac in `path` is exactly current.
inline PlanInterval IntervalOfAlmanac(const std::string& path) {
    Calculator calc;
    calc.LoadAlmanac(path);
    const QDate today = QDate::currentDate();
    const int age = calc.GpsAlmanacAge(MakeCalendarTime(0, 0, 0, today.day(), today.month(), today.year()));
    const QDate d = today.addDays(-age);
    return PlanInterval(d.day(), d.month(), d.year(), 0, 0, 24, 0);
}

// Runs `step` on the modal dialog as soon as one is open (the caller then calls exec()).
inline void WhenModal(std::function<void(QWidget*)> step) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            step(modal);
        }
    });
    timer->start();
}

class AppTest : public ::testing::Test {
protected:
    QTemporaryDir home, data;
    ScriptedPrompts prompts;
    std::unique_ptr<OrvantApp> app;

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && data.isValid());
        setenv("TAVRIN_HOME", home.path().toLocal8Bit().constData(), 1);
        setenv("TAVRIN_DATA_DIR", data.path().toLocal8Bit().constData(), 1);
        fs::create_directories(BundledAlmanacs());
    }
    void TearDown() override {
        app.reset();
        InstalledDialogs() = ClientDialogs{};
        UnloadLanguageModule();
        CloseHelpWindow();
        unsetenv("TAVRIN_HOME");
        unsetenv("TAVRIN_DATA_DIR");
        Drain();
    }

    std::string Home(const std::string& name = {}) const { return home.path().toStdString() + "/" + name; }
    std::string BundledAlmanacs() const { return data.path().toStdString() + "/almanacs/"; }
    std::string ConfigPath() const { return Home("ORVANT.CFG"); }

    // Constructs and starts the program. The planning date is that of `almanac` (default: the one
    // bundled almanac) so that no age warning shows; with `today` it stays today; `interval` sets it.
    void Start(const QString& siteList = QString(), bool today = false, std::string almanac = {},
               const PlanInterval* interval = nullptr) {
        app = std::make_unique<OrvantApp>();
        app->InitMainWindow();
        if (almanac.empty()) {
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(BundledAlmanacs(), ec))
                almanac = e.path().string();
        }
        if (!today && !almanac.empty())
            Client().Session().SetInterval(IntervalOfAlmanac(almanac));
        if (interval)
            Client().Session().SetInterval(*interval);
        app->InitInstance(siteList);
        Drain();
    }
    // Closes the main window and destroys the program as the end of the message loop does.
    bool Exit() {
        const bool closed = Frame().close();
        if (closed)
            app.reset();
        return closed;
    }

    static void Drain() {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    // The title as the window system shows it: "[*]" stands where the modified mark goes.
    QString Caption() {
        QString title = Frame().windowTitle();
        return title.replace(QLatin1String("[*]"),
                             Frame().isWindowModified() ? QStringLiteral("*") : QString());
    }
    OrvantMDIClient& Client() { return *app->Client(); }
    TDecMDIFrame& Frame() { return *app->Frame(); }
    bool Enabled(int id) { return Frame().Action(id)->isEnabled(); }
    void Run(int id) {
        Client().Command(id);
        Drain();
    }
};

} // namespace app_fixture
