// The thin bar under a satellite box that marks a satellite the almanac reports as unhealthy.
#pragma once

#include <QWidget>

class Calculator;

class TSatelliteMarker : public QWidget {
    Q_OBJECT
public:
    // `index` is the satellite index 0..55 in the engine.
    TSatelliteMarker(QWidget* parent, int id, const Calculator& engine, int index);

    // Whether the bar shows the unhealthy colour now.
    bool Marked() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Calculator& engine_;
    int index_;
};
