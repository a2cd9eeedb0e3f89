#include "dialogs/mapdialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <cmath>

#include "base/strings.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"

namespace {

const QString kBlankPointer(15, QChar(' '));

} // namespace

MapDialog::MapDialog(QWidget* parent, const QString& locationName, double& latitude, double& longitude)
    : QDialog(parent), latitude_(latitude), longitude_(longitude), chosenLatitude_(latitude),
      chosenLongitude_(longitude) {
    setObjectName(ControlName(219));
    setWindowTitle(Res(IDS_MAPDLG_CAPTION));
    setMouseTracking(true);

    // A fixed client area; the map takes its upper left part, the texts go below the map and the
    // buttons to its right.
    const QFontMetrics fm(font());
    const int a = fm.averageCharWidth(), h = fm.height();
    const int rowHeight = h + 8;
    const QFont fixedPitch(QStringLiteral("Monospace"), font().pointSize());
    const int readoutWidth =
        QFontMetrics(fixedPitch).horizontalAdvance(QStringLiteral("000°00'00\".00 W ")) + 12;
    const int labelWidth =
        std::max(fm.horizontalAdvance(Res(IDS_MAPDLG_LAT)), fm.horizontalAdvance(Res(IDS_MAPDLG_LON))) + a;
    QRect client(0, 0, 112 * a, 0);
    for (int height = static_cast<int>(112 * a * 0.5);;) {
        client.setHeight(height);
        map_ = MapGeometry::ForClientArea(client, a, h);
        const int needed = map_.bottom + h + 5 * rowHeight + h;
        if (needed <= height)
            break;
        height = needed;
    }
    setFixedSize(client.size());
    world_ = map_;

    auto place = [h](QWidget* w, int x, int y, int width) { w->setGeometry(x, y, width, h + 6); };
    auto label = [this](int textId) { return new QLabel(Res(textId), this); };
    auto readout = [this, &fixedPitch](int id) {
        auto* l = Named(new QLabel(this), id);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        // The readouts pad with blanks: they line up in a fixed-pitch font.
        l->setFont(fixedPitch);
        return l;
    };
    const int x0 = map_.left;
    const int groupX[2] = {x0, x0 + labelWidth + readoutWidth + 4 * a};
    const int row0 = map_.bottom + h + 6;
    QLabel* locationLabel = label(IDS_MAPDLG_LOCATION);
    const int locationWidth = fm.horizontalAdvance(locationLabel->text()) + a;
    place(locationLabel, x0, row0, locationWidth);
    location_ = Named(new QLabel(locationName.left(20), this), 909);
    place(location_, x0 + locationWidth, row0, map_.right - x0 - locationWidth);
    const int row1 = row0 + rowHeight + 4;
    place(label(IDS_MAPDLG_CHOSEN), groupX[0], row1, labelWidth + readoutWidth);
    place(label(IDS_MAPDLG_POINTER), groupX[1], row1, labelWidth + readoutWidth);
    chosenLat_ = readout(903);
    chosenLon_ = readout(904);
    pointerLat_ = readout(905);
    pointerLon_ = readout(902);
    QLabel* const readouts[2][2] = {{chosenLat_, chosenLon_}, {pointerLat_, pointerLon_}};
    for (int g = 0; g < 2; ++g)
        for (int k = 0; k < 2; ++k) {
            const int y = row1 + (k + 1) * rowHeight;
            place(label(k == 0 ? IDS_MAPDLG_LAT : IDS_MAPDLG_LON), groupX[g], y, labelWidth);
            place(readouts[g][k], groupX[g] + labelWidth, y, readoutWidth);
        }
    pointerLat_->setText(kBlankPointer);
    pointerLon_->setText(kBlankPointer);
    // A position can be typed as well as clicked.
    const int row4 = row1 + 3 * rowHeight + 4;
    QLabel* typedLabel = label(IDS_MAPDLG_TYPED);
    const int typedLabelWidth = fm.horizontalAdvance(typedLabel->text()) + a;
    place(typedLabel, x0, row4, typedLabelWidth);
    typed_ = Named(new QLineEdit(this), 906);
    typed_->setPlaceholderText(Res(IDS_MAPDLG_TYPED_HINT));
    typed_->setToolTip(Res(IDS_MAPDLG_TYPED_HINT));
    typed_->installEventFilter(this);
    place(typed_, x0 + typedLabelWidth, row4, groupX[1] + labelWidth + readoutWidth - x0 - typedLabelWidth);

    auto button = [this](int id, int textId) {
        auto* b = Named(new QPushButton(Res(textId), this), id);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* ok = button(1, IDS_BUTTON_OK);
    QPushButton* cancel = button(2, IDS_BUTTON_CANCEL);
    QPushButton* help = button(9, IDS_HELP_BUTTON);
    QPushButton* layer = button(913, IDS_MAPDLG_LAYER);
    clearLayer_ = button(914, IDS_MAPDLG_LAYER_CLEAR);
    band_ = Named(new QComboBox(this), 915);
    band_->setToolTip(Res(IDS_MAPDLG_LAYER_BAND_HINT));
    ok->setDefault(true);
    const int bx = static_cast<int>(client.width() * 0.8) + a, bw = client.width() - bx - 2 * a;
    int by = map_.top;
    for (QWidget* b : std::initializer_list<QWidget*>{ok, cancel, help, layer, clearLayer_, band_}) {
        if (b == layer)
            by += rowHeight; // the layer's controls apart from the dialog's own
        b->setGeometry(bx, by, bw, rowHeight + 4);
        by += rowHeight + 12;
    }
    // The legend below them, down to the bottom margin.
    legendArea_ = QRect(bx, by + h / 2, bw + a, client.height() - h - by - h / 2);
    connect(layer, &QPushButton::clicked, this, &MapDialog::ChooseLayer);
    connect(clearLayer_, &QPushButton::clicked, this, &MapDialog::ClearLayer);
    connect(band_, &QComboBox::activated, this, [this](int band) {
        if (layer_ && band != layer_->Band() && !ShowLayer(layer_->Path(), band))
            UpdateLayerControls();
    });
    UpdateLayerControls();
    connect(ok, &QPushButton::clicked, this, &MapDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &MapDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpContext(this, kMapDialogHelpContext); });
    connect(&timer_, &QTimer::timeout, this, &MapDialog::Tick);

    Choose(chosenLatitude_, chosenLongitude_);
    SetHelpContext(this, kMapDialogHelpContext);
    timer_.start(500);
}

void MapDialog::accept() {
    timer_.stop();
    latitude_ = chosenLatitude_;
    longitude_ = chosenLongitude_;
    done(1);
}

void MapDialog::reject() {
    timer_.stop();
    done(2);
}

// ---- the chosen position and the marker ----------------------------------------------------

QRect MapDialog::MarkerArea(QPoint pixel) const {
    return QRect(pixel.x() - 5, pixel.y() - 5, 11, 11);
}

void MapDialog::Choose(double latitude, double longitude) {
    busy_ = true;
    const QPoint before = map_.ToPixel(chosenLatitude_, chosenLongitude_);
    chosenLatitude_ = latitude;
    chosenLongitude_ = longitude;
    chosenLat_->setText(MapReadout(chosenLatitude_, true));
    chosenLon_->setText(MapReadout(chosenLongitude_, false));
    update(MarkerArea(before));
    update(MarkerArea(map_.ToPixel(chosenLatitude_, chosenLongitude_)));
    busy_ = false;
}

void MapDialog::Tick() {
    if (busy_)
        return;
    busy_ = true;
    // A plus and a cross in turn, at the chosen position as it is now.
    phase_ = -phase_;
    const QPoint at = map_.ToPixel(chosenLatitude_, chosenLongitude_);
    if (lastMarker_ != at)
        update(MarkerArea(lastMarker_));
    update(MarkerArea(at));
    busy_ = false;
}

// ---- the map file layer --------------------------------------------------------------------

void MapDialog::ChooseLayer() {
    FileRequest request;
    request.title = Res(IDS_MAPDLG_LAYER_TITLE);
    request.filter = Res(IDS_MAPDLG_LAYER_FILTER);
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (layer_)
        request.directory = QFileInfo(layer_->Path()).absolutePath();
    QString path;
    if (ThePrompts().OpenFileName(this, request, path))
        ShowLayer(path, 0);
}

bool MapDialog::ShowLayer(const QString& path, int band) {
    auto layer = std::make_unique<MapLayer>();
    QString error;
    if (!layer->Load(path, band, error)) {
        MessageBoxRes(this, error, IDS_ERROR, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    layer_ = std::move(layer);
    map_ = world_.Showing(layer_->South(), layer_->West(), layer_->North(), layer_->East());
    UpdateLayerControls();
    update();
    return true;
}

void MapDialog::ClearLayer() {
    layer_.reset();
    map_ = world_;
    UpdateLayerControls();
    update();
}

void MapDialog::UpdateLayerControls() {
    clearLayer_->setEnabled(layer_ != nullptr);
    const QSignalBlocker quiet(band_);
    band_->clear();
    if (layer_) {
        band_->addItems(layer_->BandNames());
        band_->setCurrentIndex(layer_->Band());
    }
    band_->setEnabled(band_->count() > 1);
}

void MapDialog::paintEvent(QPaintEvent*) {
    busy_ = true;
    QPainter painter(this);
    painter.setFont(font());
    PaintMap(painter, map_, layer_.get());
    if (layer_) {
        const int fixed = MapLegendSize(painter, layer_->Scale(), 0).height();
        const int ramp = std::max(legendArea_.height() - fixed, 2 * painter.fontMetrics().height());
        PaintMapLegend(painter, legendArea_.topLeft(), layer_->Scale(), ramp);
    }
    // The marker inverts what lies under it, so that it shows on sea and land alike.
    const QPoint at = map_.ToPixel(chosenLatitude_, chosenLongitude_);
    painter.setClipRect(map_.Rect()); // a zoomed map may not hold the position
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(QColor(0, 128, 0), 1));
    if (phase_ > 0) {
        painter.drawLine(at.x() - 4, at.y(), at.x() + 4, at.y());
        painter.drawLine(at.x(), at.y() - 4, at.x(), at.y() + 4);
    } else {
        painter.drawLine(at.x() - 3, at.y() - 3, at.x() + 3, at.y() + 3);
        painter.drawLine(at.x() - 3, at.y() + 3, at.x() + 3, at.y() - 3);
    }
    lastMarker_ = at;
    busy_ = false;
}

// ---- mouse and typed position --------------------------------------------------------------

void MapDialog::ShowPointer(QPoint pixel) {
    QString lat = kBlankPointer, lon = kBlankPointer;
    if (map_.Contains(pixel)) {
        double la, lo;
        map_.FromPixel(pixel, la, lo);
        lat = MapReadout(la, true);
        lon = MapReadout(lo, false);
    }
    if (pointerLat_->text().compare(lat, Qt::CaseInsensitive) != 0)
        pointerLat_->setText(lat);
    if (pointerLon_->text().compare(lon, Qt::CaseInsensitive) != 0)
        pointerLon_->setText(lon);
}

void MapDialog::mouseMoveEvent(QMouseEvent* event) {
    ShowPointer(event->position().toPoint());
}

void MapDialog::leaveEvent(QEvent* event) {
    ShowPointer(QPoint(-1, -1));
    QDialog::leaveEvent(event);
}

void MapDialog::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !map_.Contains(p))
        return;
    double la, lo;
    map_.FromPixel(p, la, lo);
    Choose(la, lo);
}

void MapDialog::ApplyTypedPosition() {
    // "latitude longitude" in decimal degrees, blanks or a comma between them.
    const QStringList parts =
        typed_->text().trimmed().split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    bool okLat = false, okLon = false;
    const double la = parts.size() == 2 ? parts[0].toDouble(&okLat) : 0;
    const double lo = parts.size() == 2 ? parts[1].toDouble(&okLon) : 0;
    if (!okLat || !okLon || !std::isfinite(la) || !std::isfinite(lo) || std::fabs(la) > 90 ||
        std::fabs(lo) > 180) {
        // Said, with what the field takes: a beep alone leaves the user guessing.
        const QByteArray text = typed_->text().trimmed().toUtf8();
        MessageBoxRes(
            this,
            QString::fromStdString(FormatText(LoadResString(IDS_MAPDLG_BAD_POSITION), text.constData())),
            IDS_ERROR, MB_OK | MB_ICONEXCLAMATION);
        typed_->setFocus();
        typed_->selectAll();
        return;
    }
    Choose(la, lo);
}

bool MapDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the position field takes the position; it does not close the dialog.
    if (watched == typed_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ApplyTypedPosition();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
