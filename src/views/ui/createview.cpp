#include "base/strings.h"
#include "views/ui/chartwin.h"
#include "views/ui/satvisibilitywin.h"
#include "views/ui/skyplotwin.h"
#include "views/ui/viewhost.h"

TBaseMDIChild* CreateView(int command, ViewHost& host, QWidget* parent) {
    switch (command) {
    case kCreateVisibilityView:
        return new TSatVisibilityWin(host, QString::fromStdString(ResString(2024)), parent);
    case kCreateDopView:
        return new TChartWin(host, QString::fromStdString(ResString(2023)), parent);
    case kCreateSkyView:
        return new TSkyPlotWin(host, QString::fromStdString(ResString(2022)), parent);
    default:
        return nullptr;
    }
}
