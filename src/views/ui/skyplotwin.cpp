#include "views/ui/skyplotwin.h"

#include <QFontMetrics>
#include <QMouseEvent>

#include "base/strings.h"
#include "ui/controls.h"

TSkyPlotWin::TSkyPlotWin(ViewHost& host, const QString& title, QWidget* parent)
    : TBaseMDIChild(host, std::make_unique<SkyPlotPainter>(), title, parent) {
    help_ = new TButtonMy(this, CM_VIEW_HELP, QString::fromStdString(ResString(IDS_HELP_BUTTON)), false);
    const QFont font = ViewButtonFont(this);
    const QFontMetrics fm(font);
    help_->setFont(font);
    help_->resize(6 * fm.averageCharWidth(), 2 * (fm.height() + fm.leading()));
    connect(help_, &QPushButton::clicked, this, [this] { Command(CM_VIEW_HELP); });
}

void TSkyPlotWin::ScreenPaint(Canvas& dc, const ViewInputs& in, QRect update) {
    State().BackColor = palette().color(QPalette::Base);
    TBaseMDIChild::ScreenPaint(dc, in, update);
    PlaceHelpButton(this, help_, 10);
}

void TSkyPlotWin::mouseMoveEvent(QMouseEvent* event) {
    const auto direction = Drawing().DirectionAt(event->position().toPoint());
    if (!direction) {
        ClearReadout();
        return;
    }
    SetReadout(1, QString());
    SetReadout(2, QString::fromStdString(
                      FormatText(ResString(IDS_SKY_READOUT).c_str(), direction->first, direction->second)));
}

void TSkyPlotWin::Command(int id) {
    if (id == CM_GRID_STEP_10 || id == CM_GRID_STEP_30) {
        const int step = id == CM_GRID_STEP_10 ? 10 : 30;
        if (step != Drawing().GridStep) {
            Drawing().GridStep = step;
            if (State().ViewFlags & kViewGrid)
                Redraw();
        }
        return;
    }
    TBaseMDIChild::Command(id);
}

void TSkyPlotWin::BuildContextMenu(QMenu& menu) {
    TBaseMDIChild::BuildContextMenu(menu);
    menu.addSeparator();
    AddChecked(menu, IDS_SKY_GRID_STEP_10, CM_GRID_STEP_10, Drawing().GridStep == 10);
    AddChecked(menu, IDS_SKY_GRID_STEP_30, CM_GRID_STEP_30, Drawing().GridStep == 30);
}
