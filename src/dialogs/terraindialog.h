// Setup > Terrain: the elevation model whose horizons hide satellites, the antenna's height above
// its ground, how far the horizon reaches, and whether the terrain is used at all.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;

inline constexpr int kTerrainHelpContext = 48250;

struct TerrainOptions {
    bool on = false;
    QString model;              // a raster file or a folder of tiles
    double antennaHeight = 2.0; // m above the model's ground
    double maxDistance = 50.0;  // km
};

class TTerrainDialog : public QDialog {
    Q_OBJECT
public:
    // Shows `options`; OK writes the controls back, Cancel leaves them alone.
    TTerrainDialog(QWidget* parent, TerrainOptions& options);

    void accept() override;

private:
    void Browse(bool folder);

    TerrainOptions& options_;
    QCheckBox* on_;
    QLineEdit* model_;
    QDoubleSpinBox *height_, *distance_;
};
