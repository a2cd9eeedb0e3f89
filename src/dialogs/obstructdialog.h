// The obstruction editor (610): the user draws outlines on a polar sky diagram with the mouse and
// finishes them into obstructions, or removes obstructions again. It edits the list it is given in
// place; the caller takes the list over only when the dialog ends with OK.
#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "dialogs/obstructdrawing.h"
#include "sites/obstruction.h"
#include "sites/skytracksource.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

inline constexpr int kObstructDialogHelpContext = 10057;
// The terrain's outlines: within a quarter degree of its skyline, in at most 1000 corners each (a
// site list's outline holds up to 32767).
inline constexpr double kTerrainOutlineTolerance = 0.25;
inline constexpr int kTerrainOutlineVertices = 1000;

class ObstructDialog : public QDialog {
    Q_OBJECT
public:
    // `siteName` is shown above the diagram; `tracks` are drawn behind the outlines when given.
    // `radius` is the diagram's radius in pixels, 0 for one that suits the font. The terrain's
    // skyline, when given, is drawn behind and can be turned into outlines.
    ObstructDialog(QWidget* parent, AList<Obstruction>& list, const QString& siteName = QString(),
                   std::vector<SkyTrack> tracks = {}, int radius = 0,
                   std::shared_ptr<const TerrainHorizon> terrain = nullptr);

    // 1 for OK, 2 for Cancel or closing the window.
    void accept() override;
    void reject() override;

    const ObstructDiagram& Diagram() const { return diagram_; }
    const std::vector<QPoint>& Polyline() const { return polyline_; }
    bool RemoveMode() const { return removeMode_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FinishObstruction();
    void RemoveLastLine();
    void ToggleRemoveMode();
    void RemoveAll();
    void TerrainToOutlines();
    void RemoveAt(QPoint pixel);
    void ShowReadouts(QPoint pixel);
    void SetRemoveMode(bool on);
    // Repaints the diagram with its labels.
    void RepaintDiagram();
    bool HasSomething() const { return !polyline_.empty() || list_.Count() > 0; }

    AList<Obstruction>& list_;
    std::vector<QPoint> polyline_;
    QPoint anchor_, end_;
    bool dragging_ = false;
    bool removeMode_ = false;
    ObstructDiagram diagram_;
    std::vector<SkyTrack> tracks_;
    std::shared_ptr<const TerrainHorizon> terrain_;

    QFrame* frame_;
    QLabel *elevation_, *azimuth_;
    QPushButton *removeLastLine_, *removeObstruction_, *removeAll_, *finish_, *terrainOutlines_;
    QCheckBox* showTracks_;
};
