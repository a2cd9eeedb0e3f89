#include "base/strings.h"
#include "views/ui/chartwin.h"
#include "views/ui/satvisibilitywin.h"
#include "views/ui/skyplotwin.h"
#include "views/ui/viewhost.h"

TBaseMDIChild* CreateView(int command, ViewHost& host, QWidget* parent) {
    switch (command) {
    case kCreateVisibilityView:
        return new TSatVisibilityWin(host, QString::fromStdString(ResString(IDS_TITLE_SAT_VISIBILITY)),
                                     parent);
    case kCreateDopView:
        return new TChartWin(host, QString::fromStdString(ResString(IDS_TITLE_DOP_PLOT)), parent);
    case kCreateSkyView:
        return new TSkyPlotWin(host, QString::fromStdString(ResString(IDS_TITLE_SKY_PLOT)), parent);
    default:
        return nullptr;
    }
}
