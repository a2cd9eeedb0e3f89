#include "dialogs/obstructdialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

const QString kBlankReadout = QStringLiteral("   ");

} // namespace

ObstructDialog::ObstructDialog(QWidget* parent, AList<Obstruction>& list, const QString& siteName,
                               std::vector<SkyTrack> tracks, int radius,
                               std::shared_ptr<const TerrainHorizon> terrain)
    : QDialog(parent), list_(list), tracks_(std::move(tracks)), terrain_(std::move(terrain)) {
    setObjectName(ControlName(610));
    setWindowTitle(Res(IDS_OBSTDLG_CAPTION));
    setMouseTracking(true);

    const QFontMetrics fm(font());
    if (radius <= 0)
        radius = std::max(100, fm.height() * 12);
    // The diagram's area: it draws nothing itself, the dialog paints the diagram over it.
    frame_ = Named(new QFrame(this), 655);
    frame_->setFrameShape(QFrame::NoFrame);
    frame_->setEnabled(false);
    frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame_->setFixedSize(2 * radius + 1, 2 * radius + 1);

    auto* siteLabel = new QLabel(
        siteName.isEmpty()
            ? QString()
            : QString::fromStdString(FormatText(LoadResString(IDS_OBSTDLG_SITE), qPrintable(siteName))),
        this);
    elevation_ = Named(new QLabel(kBlankReadout, this), 201);
    azimuth_ = Named(new QLabel(kBlankReadout, this), 202);
    for (QLabel* readout : {elevation_, azimuth_}) {
        readout->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("0000")));
        readout->setFrameShape(QFrame::StyledPanel);
        readout->setFrameShadow(QFrame::Sunken);
        readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    auto button = [this](int id, int textId) {
        auto* b = Named(new QPushButton(Res(textId), this), id);
        b->setAutoDefault(false);
        return b;
    };
    removeLastLine_ = button(101, IDS_OBSTDLG_REMOVE_LAST_LINE);
    removeObstruction_ = button(102, IDS_OBSTDLG_REMOVE_OBSTRUCTION);
    removeAll_ = button(103, IDS_OBSTDLG_REMOVE_ALL);
    finish_ = button(104, IDS_OBSTDLG_FINISH);
    terrainOutlines_ = button(105, IDS_OBSTDLG_TERRAIN_OUTLINES);
    terrainOutlines_->setVisible(terrain_ && terrain_->Count() > 0);
    QPushButton* ok = button(1, IDS_BUTTON_OK);
    QPushButton* cancel = button(2, IDS_BUTTON_CANCEL);
    QPushButton* help = button(9, IDS_HELP_BUTTON);
    ok->setDefault(true);
    showTracks_ = Named(new QCheckBox(Res(IDS_OBSTDLG_SHOW_TRACKS), this), 656);
    showTracks_->setChecked(!tracks_.empty());
    showTracks_->setEnabled(!tracks_.empty());
    connect(showTracks_, &QCheckBox::toggled, this, [this] { RepaintDiagram(); });
    connect(removeLastLine_, &QPushButton::clicked, this, &ObstructDialog::RemoveLastLine);
    connect(removeObstruction_, &QPushButton::clicked, this, &ObstructDialog::ToggleRemoveMode);
    connect(removeAll_, &QPushButton::clicked, this, &ObstructDialog::RemoveAll);
    connect(finish_, &QPushButton::clicked, this, &ObstructDialog::FinishObstruction);
    connect(terrainOutlines_, &QPushButton::clicked, this, &ObstructDialog::TerrainToOutlines);
    connect(ok, &QPushButton::clicked, this, &ObstructDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ObstructDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kObstructDialogHelpContext); });

    // The diagram with room for its labels on the left, the buttons and readouts on the right.
    const int labelRoom = 6 * fm.averageCharWidth();
    auto* diagram = new QGridLayout;
    diagram->setContentsMargins(labelRoom, 2 * fm.height() + 4, labelRoom + fm.averageCharWidth() * 2,
                                2 * fm.height() + 4);
    diagram->addWidget(frame_, 0, 0);
    auto* side = new QVBoxLayout;
    side->addWidget(siteLabel);
    auto* readouts = new QGridLayout;
    readouts->addWidget(new QLabel(Res(IDS_OBSTDLG_ELEVATION), this), 0, 0);
    readouts->addWidget(elevation_, 0, 1);
    readouts->addWidget(new QLabel(Res(IDS_OBSTDLG_AZIMUTH), this), 1, 0);
    readouts->addWidget(azimuth_, 1, 1);
    readouts->setColumnStretch(2, 1);
    side->addLayout(readouts);
    side->addSpacing(fm.height());
    for (QPushButton* b : {finish_, removeLastLine_, removeObstruction_, removeAll_})
        side->addWidget(b);
    side->addWidget(terrainOutlines_);
    side->addSpacing(fm.height() / 2);
    side->addWidget(showTracks_);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    side->addWidget(help);
    auto* top = new QHBoxLayout(this);
    top->addLayout(diagram);
    top->addLayout(side);
    top->setSizeConstraint(QLayout::SetFixedSize);

    finish_->setEnabled(false);
    removeLastLine_->setEnabled(false);
    removeObstruction_->setEnabled(list_.Count() > 0);
    removeAll_->setEnabled(list_.Count() > 0);
    SetHelpContext(this, kObstructDialogHelpContext);
    // The geometry until the dialog is laid out on the screen.
    layout()->activate();
    const QRect area = frame_->geometry();
    diagram_ = {area.left() + area.width() / 2, area.top() + area.height() / 2,
                std::min(area.width() / 2, area.height() / 2)};
}

void ObstructDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QRect area = frame_->geometry();
    diagram_ = {area.left() + area.width() / 2, area.top() + area.height() / 2,
                std::min(area.width() / 2, area.height() / 2)};
}

// The skyline as outlines the site list keeps, so that other programs reading it see the terrain.
void ObstructDialog::TerrainToOutlines() {
    if (!terrain_)
        return;
    for (const Obstruction& o : HorizonOutlines(*terrain_, kTerrainOutlineTolerance, kTerrainOutlineVertices))
        list_.Add(o);
    removeObstruction_->setEnabled(list_.Count() > 0);
    removeAll_->setEnabled(list_.Count() > 0);
    RepaintDiagram();
}

void ObstructDialog::accept() {
    done(1);
}

void ObstructDialog::reject() {
    done(2);
}

// ---- painting ------------------------------------------------------------------------------

void ObstructDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    ObstructScene scene;
    scene.obstructions = &list_;
    scene.polyline = &polyline_;
    scene.rubberBand = dragging_;
    scene.anchor = anchor_;
    scene.end = end_;
    scene.tracks = showTracks_->isChecked() ? &tracks_ : nullptr;
    scene.terrain = terrain_.get();
    PaintObstructDiagram(painter, diagram_, scene);
}

void ObstructDialog::RepaintDiagram() {
    // The labels stand outside the diagram's box.
    const QFontMetrics fm(font());
    const int room = 6 * fm.averageCharWidth();
    update(QRect(diagram_.cx - diagram_.radius, diagram_.cy - diagram_.radius, 2 * diagram_.radius + 1,
                 2 * diagram_.radius + 1)
               .adjusted(-room, -2 * fm.height(), room, 2 * fm.height()));
}

// ---- mouse ---------------------------------------------------------------------------------

void ObstructDialog::ShowReadouts(QPoint pixel) {
    QString elevation = kBlankReadout, azimuth = kBlankReadout;
    if (diagram_.Inside(pixel)) {
        const point<double> d = diagram_.Direction(pixel);
        elevation = QString::number(static_cast<int>(d.x));
        azimuth = QString::number(static_cast<int>(d.y));
    }
    if (elevation_->text() != elevation)
        elevation_->setText(elevation);
    if (azimuth_->text() != azimuth)
        azimuth_->setText(azimuth);
}

void ObstructDialog::leaveEvent(QEvent* event) {
    ShowReadouts(QPoint(diagram_.cx + 2 * diagram_.radius + 2, diagram_.cy));
    QDialog::leaveEvent(event);
}

void ObstructDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    if (removeMode_) {
        SetRemoveMode(false);
        if (diagram_.Inside(p))
            RemoveAt(p);
        return;
    }
    if (!diagram_.Inside(p))
        return;
    dragging_ = true;
    if (polyline_.empty()) {
        polyline_.push_back(p);
        anchor_ = end_ = p;
    } else {
        end_ = p;
    }
    RepaintDiagram();
}

void ObstructDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    ShowReadouts(p);
    if (dragging_ && diagram_.Inside(p)) {
        end_ = p;
        RepaintDiagram();
    }
}

void ObstructDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    const QPoint p = event->position().toPoint();
    if (diagram_.Inside(p)) {
        end_ = p;
        if (end_ != anchor_) {
            polyline_.push_back(end_);
            anchor_ = end_;
            finish_->setEnabled(true);
        }
    } else {
        end_ = anchor_;
    }
    if (!polyline_.empty()) {
        removeLastLine_->setEnabled(true);
        removeAll_->setEnabled(true);
    }
    RepaintDiagram();
}

// ---- buttons -------------------------------------------------------------------------------

void ObstructDialog::FinishObstruction() {
    if (polyline_.size() < 2)
        return;
    Obstruction outline;
    for (const QPoint& p : polyline_)
        outline.Add(diagram_.Direction(p));
    // Both ends within a pixel and a degree of the horizon: closed along the horizon.
    const double low = 90.0 / diagram_.radius + 1;
    const double firstElevation = diagram_.Direction(polyline_.front()).x;
    const double lastElevation = diagram_.Direction(polyline_.back()).x;
    CloseOutline(outline, firstElevation <= low && lastElevation <= low);
    list_.Add(outline);
    polyline_.clear();
    dragging_ = false;
    removeLastLine_->setEnabled(false);
    finish_->setEnabled(false);
    removeObstruction_->setEnabled(true);
    removeAll_->setEnabled(true);
    RepaintDiagram();
}

void ObstructDialog::RemoveLastLine() {
    if (polyline_.empty())
        return;
    polyline_.pop_back();
    if (polyline_.size() <= 1) {
        polyline_.clear();
        removeLastLine_->setEnabled(false);
        finish_->setEnabled(false);
        if (list_.Count() == 0) {
            removeAll_->setEnabled(false);
            removeObstruction_->setEnabled(false);
        }
    } else {
        anchor_ = end_ = polyline_.back();
    }
    RepaintDiagram();
}

void ObstructDialog::SetRemoveMode(bool on) {
    removeMode_ = on;
    if (on)
        setCursor(Qt::CrossCursor);
    else
        unsetCursor();
}

void ObstructDialog::ToggleRemoveMode() {
    if (!removeMode_ && !HasSomething())
        return;
    SetRemoveMode(!removeMode_);
}

void ObstructDialog::RemoveAt(QPoint pixel) {
    const point<double> direction = diagram_.Direction(pixel);
    // The topmost (last drawn) obstruction that holds the point, and only that one.
    for (int i = list_.Count() - 1; i >= 0; --i) {
        Obstruction* o = list_.GetAt(i);
        if (o && o->Contains(direction)) {
            list_.DeleteCurrent();
            RepaintDiagram();
            break;
        }
    }
    if (!HasSomething()) {
        removeObstruction_->setEnabled(false);
        removeAll_->setEnabled(false);
    }
}

void ObstructDialog::RemoveAll() {
    if (!HasSomething())
        return;
    list_.Clear();
    polyline_.clear();
    dragging_ = false;
    SetRemoveMode(false);
    RepaintDiagram();
    for (QPushButton* b : {removeLastLine_, removeObstruction_, removeAll_, finish_})
        b->setEnabled(false);
}
