// The site map (219): a small world map on which the user points at a site's position. A click
// chooses the position under the pointer, a typed "latitude longitude" in degrees does the same;
// a marker blinks at the chosen position. OK hands the position back to the caller. A map file
// (913) can be shown under the coastlines, the map zoomed to it, with a choice of its bands (915)
// and its legend; 914 clears it.
#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

#include "dialogs/mapdrawing.h"
#include "dialogs/maplayer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

inline constexpr int kMapDialogHelpContext = 10065;

class MapDialog : public QDialog {
    Q_OBJECT
public:
    // `latitude` and `longitude` (degrees, north and east positive) are read now and written only
    // by OK.
    MapDialog(QWidget* parent, const QString& locationName, double& latitude, double& longitude);

    void accept() override;
    void reject() override;

    const MapGeometry& Geometry() const { return map_; }
    double ChosenLatitude() const { return chosenLatitude_; }
    double ChosenLongitude() const { return chosenLongitude_; }
    // +1 while the marker is a plus, -1 while it is a cross.
    int MarkerPhase() const { return phase_; }

    // Shows band `band` of the map file at `path`; a file that cannot be shown is said in a
    // message box and leaves the map as it was.
    bool ShowLayer(const QString& path, int band);
    void ClearLayer();
    const MapLayer* Layer() const { return layer_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tick();
    void Choose(double latitude, double longitude);
    void ShowPointer(QPoint pixel);
    void ApplyTypedPosition();
    QRect MarkerArea(QPoint pixel) const;
    void ChooseLayer();
    void UpdateLayerControls();

    double& latitude_;
    double& longitude_;
    double chosenLatitude_, chosenLongitude_;
    MapGeometry map_, world_;
    std::unique_ptr<MapLayer> layer_;
    QRect legendArea_;
    QTimer timer_;
    int phase_ = 1;
    QPoint lastMarker_{-1, -1};
    bool busy_ = false;

    QLabel *location_, *chosenLat_, *chosenLon_, *pointerLat_, *pointerLon_;
    QLineEdit* typed_;
    QPushButton* clearLayer_;
    QComboBox* band_;
};
