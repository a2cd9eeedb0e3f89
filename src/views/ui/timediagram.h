// The base of the two views whose horizontal axis is local time: the time readout in pane 1.
#pragma once

#include "views/timediagramdrawing.h"
#include "views/ui/viewbase.h"

class TTimeDiagram : public TBaseMDIChild {
    Q_OBJECT
protected:
    TTimeDiagram(ViewHost& host, std::unique_ptr<ViewPainter> painter, const QString& title, QWidget* parent)
        : TBaseMDIChild(host, std::move(painter), title, parent) {}

    virtual TimeDiagramDrawing& Diagram() = 0;

    // Pane 1 shows the local time under the mouse; false (and both panes empty) outside the axis.
    bool ShowTimeAt(const ViewInputs& in, int x);
};
