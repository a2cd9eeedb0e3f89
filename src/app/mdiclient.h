// The MDI client: the program's controller. Every command arrives here; it owns the configuration
// and its working records, the engine, the planning interval, the current site list and the three
// view slots, and decides when the engine recomputes and the views redraw.
#pragma once

#include <QMdiArea>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

#include "config/fileconfiguration.h"
#include "config/transfer.h"
#include "engine/calculator.h"
#include "engine/changeflags.h"
#include "engine/global.h"
#include "sites/project.h"
#include "ui/commands.h"
#include "views/ui/viewhost.h"

class OrvantMDIClient;
class TBaseMDIChild;
class TDecMDIFrame;

// The dialogs that later parts of the program supply. Until one is installed its command is
// disabled. Each answers whether the user confirmed with OK.
struct ClientDialogs {
    // The site editor on the current list.
    std::function<bool(QWidget* parent, project& list)> siteEditor;
    // The obstruction editor on a copy of the current site's obstructions.
    std::function<bool(QWidget* parent, SiteInfo& site, AList<Obstruction>& obstructions)> obstructionEditor;
    // The satellite configuration dialog; it may reload the almanac (and then sets kAlmanac).
    std::function<bool(QWidget* parent, OrvantMDIClient& client)> satelliteConfiguration;
};
ClientDialogs& InstalledDialogs();

class OrvantMDIClient : public QMdiArea, public ViewHost, public CommandTarget {
    Q_OBJECT
public:
    // Reads the configuration and hands its options to the engine.
    OrvantMDIClient();
    // Writes the configuration.
    ~OrvantMDIClient() override;

    void SetFrame(TDecMDIFrame* frame) { frame_ = frame; }
    // After the frame exists: splash, time bar, almanac, systems switched off.
    void SetupWindow();

    void Command(int id) override;
    void Post(int id) { PostCommand(this, this, id); }
    bool CommandEnabled(int id) const;
    bool CommandChecked(int id) const;
    // Asks to save a modified list, then stores the settings in the configuration record.
    bool CanClose();

    // Loads the almanac: `path` itself when `loadLast`, else the newest loadable file of its
    // directory; records what was loaded. True when the engine holds a good almanac.
    bool LoadAlmanac(const std::string& path, bool loadLast);
    void NoAlmanacReport();
    // Opens the site list `path` as the Open command does after its dialog; false when unreadable.
    bool OpenSiteList(const std::string& path);

    // ---- state, for the dialogs, the time bar and the tests ----
    Calculator& Engine() { return *calculator_; }
    ChangeFlags& Changes() { return changes_; }
    fileConfiguration& Configuration() { return config_; }
    OptionsTransfer& Options() { return options_; }
    BufferForConfiguration& SatelliteBuffer() { return buffer_; }
    CurrentAlmanac& Almanac() { return almanac_; }
    PlanInterval& Interval() { return interval_; }
    project* SiteList() { return list_.get(); }
    // Views by kind (1106, 1107, 1108); null when closed.
    TBaseMDIChild* View(int command) const;
    int OpenViewCount() const;
    // The texts the client writes into the frame.
    QString SiteLine() const;
    QString CutOffText() const;
    QString ObstructionText() const;

    // ---- ViewHost ----
    const Calculator& ViewCalculator() override { return *calculator_; }
    const SiteInfo* ViewSite() override;
    const PlanInterval& ViewInterval() override { return interval_; }
    QStatusBar* ViewStatusBar() override;
    void ViewClosed(TBaseMDIChild* view) override;
    std::string ViewAlmanacPath() override { return almanac_.path; }

protected:
    bool event(QEvent* event) override;

private:
    // Site list and settings commands (sitelistcommands.cpp).
    bool AskToSave();
    void NewList();
    void OpenList();
    void SaveList();
    void SaveListAs();
    // Saves the current list to `target`; tells the user why a save failed, or that some text had
    // to be written as UTF-8. True when the file was written.
    bool SaveListTo(const std::string& target, bool builtinTexts = false);
    // The code page of text in files, from the settings (1252 until the user chooses another).
    void RestoreFileCodePage();
    void MakeCurrent(std::unique_ptr<project> list);
    void Sites();
    void Obstructions();
    void SatelliteConfiguration();
    void RunOptions();

    void RecomputeAndRedraw();
    void RecomputeIfNeeded();
    void OpenView(int command);
    void CloseAllViews();
    void ArrangeIcons();
    void ToggleTimeBar();
    void ShowSplash();
    void AlmanacAgeCheck();
    void PrintCommand(int id);
    void RecordAlmanac(const std::string& path);
    void RefreshSatelliteStates();

    // Caption, site line, gadgets, tool bar layout and command states from the current state.
    void UpdateFrame();
    void UpdateSiteLine();
    void UpdateGadgets();
    void SetCaption();

    std::unique_ptr<Calculator> calculator_;
    ChangeFlags changes_;
    fileConfiguration config_;
    BufferForConfiguration buffer_;
    OptionsTransfer options_;
    PlanInterval interval_;
    CurrentAlmanac almanac_;
    std::unique_ptr<project> list_;
    QPointer<TBaseMDIChild> sky_, dop_, visibility_;
    TDecMDIFrame* frame_ = nullptr;
    bool timeBarShown_ = false;
};
