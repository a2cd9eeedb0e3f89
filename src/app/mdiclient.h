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
#include "config/plansession.h"
#include "config/transfer.h"
#include "dialogs/configdialoghost.h"
#include "dialogs/terraindialog.h"
#include "sites/project.h"
#include "sites/skytracksource.h"
#include "ui/commands.h"
#include "views/ui/viewhost.h"

class NewTimeDialog;
class OrvantMDIClient;
class QToolBar;
class TerrainModel;
class TBaseMDIChild;
class TDecMDIFrame;

// The dialogs that later parts of the program supply. Until one is installed its command is
// disabled. Each answers whether the user confirmed with OK.
struct ClientDialogs {
    // The site editor on the current list.
    std::function<bool(QWidget* parent, project& list)> siteEditor;
    // The obstruction editor on a copy of the current site's obstructions.
    std::function<bool(QWidget* parent, SiteInfo& site, AList<Obstruction>& obstructions)> obstructionEditor;
};
ClientDialogs& InstalledDialogs();

class OrvantMDIClient : public QMdiArea,
                        public ViewHost,
                        public ConfigDialogHost,
                        public CommandTarget,
                        public SkyTrackSource {
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
    // directory. True when the engine holds a good almanac.
    bool LoadAlmanac(const std::string& path, bool loadLast);
    void NoAlmanacReport();
    // Opens the site list `path` as the Open command does after its dialog; false when unreadable.
    bool OpenSiteList(const std::string& path);
    // A list chosen from the recent lists or dropped on the window: asks to save the current one
    // first, as Open does; a list that is gone is said so and leaves the recent lists.
    bool OpenChosenList(const QString& path);
    // The open views and their places, kept for the next run.
    void RememberWindows() const;

    // ---- state, for the dialogs, the time bar and the tests ----
    // Everything that decides what is planned; the client, its dialogs and the time bar change it
    // only through the session's own calls.
    PlanSession& Session() override { return session_; }
    const Calculator& Engine() const { return session_.engine(); }
    const ChangeFlags& Changes() const { return session_.changes(); }
    const CurrentAlmanac& Almanac() const { return session_.almanac(); }
    const PlanInterval& Interval() const { return session_.interval(); }
    fileConfiguration& Configuration() { return config_; }
    OptionsTransfer& Options() { return options_; }

    // ---- ConfigDialogHost ----
    int AlmanacAgeWarning(const PlanSession& session, unsigned style) override;
    project* SiteList() { return list_.get(); }
    // The time control bar; null while it is closed.
    NewTimeDialog* TimeBar() const;
    // Views by kind (1106, 1107, 1108); null when closed.
    TBaseMDIChild* View(int command) const;
    int OpenViewCount() const;
    // The View command of the view the print commands act on (the active one), 0 with none open.
    int ActiveViewCommand() const;
    // The texts the client writes into the frame.
    QString SiteLine() const;
    QString CutOffText() const;
    QString ObstructionText() const;

    // ---- ViewHost ----
    const Calculator& ViewCalculator() override { return session_.engine(); }
    const SiteInfo* ViewSite() override;
    const PlanInterval& ViewInterval() override { return session_.interval(); }
    QStatusBar* ViewStatusBar() override;
    void ViewClosed(TBaseMDIChild* view) override;
    std::string ViewAlmanacPath() override { return session_.almanac().path; }
    void ViewSources(std::string& systems, std::vector<std::string>& lines) override;
    std::string ViewListPath() override { return list_ ? list_->path : std::string(); }

    // ---- SkyTrackSource (skytracks.cpp) ----
    std::vector<SkyTrack> SkyTracksFor(const SiteInfo& site) override;

protected:
    bool event(QEvent* event) override;

private:
    // The navigation files and orbit sources of the last run back into the engine; files that
    // cannot be read any more are said and forgotten.
    void RestoreOrbits();
    // And kept for the next run.
    void RememberOrbits() const;
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
    // Terrain (terrain.cpp): Setup > Terrain, and the current site's horizon kept to the settings.
    void TerrainSetup();
    void EnsureTerrain();
    void RestoreTerrain();

    void RecomputeAndRedraw();
    void RecomputeIfNeeded();
    void OpenView(int command);
    void CloseAllViews();
    void Cascade();
    void ArrangeIcons();
    void ToggleTimeBar();
    void ShowTimeBar();
    void HideTimeBar();
    void ShowSplash();
    // The age warning; orbits a month or more from the date offer a download instead.
    void AlmanacAgeCheck();
    // The planning date's orbits from the published sources, taken into the session; `startAtOnce`:
    // the dialog starts by itself and closes when every source arrived.
    void DownloadOrbits(bool startAtOnce = false);
    bool fetchedAtStart_ = false;
    void PrintCommand(int id);
    // The view the print commands act on: the active one, else the last opened.
    TBaseMDIChild* PrintedView() const;
    // Names the sites of the list (all, or only the current one) whose position is unusable, in a
    // warning; false when there is none.
    bool ReportUnusablePositions(bool all);
    // The views open at the end of the last run, once per run with the first list.
    void RestoreRememberedViews();

    // Caption, site line, gadgets, tool bar layout and command states from the current state.
    void UpdateFrame();
    void UpdateSiteLine();
    void UpdateGadgets();
    void SetCaption();

    PlanSession session_;
    fileConfiguration config_;
    OptionsTransfer options_;
    std::unique_ptr<project> list_;
    QPointer<TBaseMDIChild> sky_, dop_, visibility_;
    TDecMDIFrame* frame_ = nullptr;
    QPointer<NewTimeDialog> timeBar_;
    QPointer<QToolBar> timeBarArea_; // the strip of the frame that holds the bar
    bool viewsRestored_ = false;
    TerrainOptions terrain_;
    std::unique_ptr<TerrainModel> terrainModel_; // opened on first use
    std::string terrainFailed_;                  // the horizon key the user was told failed
};
