// What a view needs from the window that holds it: the results it draws, the current site, the
// planning interval and the status bar. The MDI client implements it; tests and the graph export
// use small stand-ins.
#pragma once

#include <string>
#include <vector>

#include "engine/calculator.h"
#include "engine/planinterval.h"

class QStatusBar;
class QString;
class QWidget;
class SiteInfo;
class TBaseMDIChild;

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual const Calculator& ViewCalculator() = 0;
    // The current site of the current list; null when there is none.
    virtual const SiteInfo* ViewSite() = 0;
    virtual const PlanInterval& ViewInterval() = 0;
    // Pane 1 shows a time, pane 2 a readout; null: no readouts.
    virtual QStatusBar* ViewStatusBar() = 0;
    // The view's window is going; the host clears its slot. The view must not be used afterwards.
    virtual void ViewClosed(TBaseMDIChild* view) = 0;

    // Path of the site list file the view shows; empty when it has none. Printing to a file
    // proposes its folder.
    virtual std::string ViewListPath() { return {}; }
    // Path of the loaded almanac for the printed header; empty: the engine's own record.
    virtual std::string ViewAlmanacPath() { return {}; }
    // Where the plan's orbits come from, for the printed header: the systems planned and a line per
    // system. None: the almanac's file name only.
    virtual void ViewSources(std::string& /*systems*/, std::vector<std::string>& /*lines*/) {}
    // Status bar pane 1 (time) or 2 (readout); the default writes the status bar's label named
    // "pane<N>", or else its N-th label in the order they were added.
    virtual void ViewReadout(int pane, const QString& text);
};

// View commands of the View menu.
inline constexpr int kCreateVisibilityView = 1106;
inline constexpr int kCreateDopView = 1107;
inline constexpr int kCreateSkyView = 1108;

// A new view of the kind the command names (1106 satellite visibility, 1107 DOP plot, 1108 sky
// plot), a child of `parent` (usually null: the host puts it into its MDI area), titled from the
// string table. Null for another command.
TBaseMDIChild* CreateView(int command, ViewHost& host, QWidget* parent);
