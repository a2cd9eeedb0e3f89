#include "views/canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

Qt::PenStyle QtPenStyle(int style) {
    switch (style) {
    case PS_DASH:
        return Qt::DashLine;
    case PS_DOT:
        return Qt::DotLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    case PS_NULL:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle QtHatch(int hatch) {
    switch (hatch) {
    case HS_HORIZONTAL:
        return Qt::HorPattern;
    case HS_VERTICAL:
        return Qt::VerPattern;
    case HS_FDIAGONAL:
        return Qt::FDiagPattern;
    case HS_BDIAGONAL:
        return Qt::BDiagPattern;
    case HS_CROSS:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// `outer` without the whole pixels inside the ellipse in `inner`, built row by row: Qt's own
// ellipse region traces a polygon and scan-converts it, which costs more than the fill it clips.
QRegion RingRegion(const QRect& outer, const QRect& inner) {
    const double cx = inner.left() + inner.width() / 2.0, cy = inner.top() + inner.height() / 2.0;
    const double a = inner.width() / 2.0, b = inner.height() / 2.0;
    std::vector<QRect> rects;
    rects.reserve(2 * static_cast<size_t>(outer.height()));
    int bandLeft = 0, bandRight = -1; // the hole's columns in the band being built, none yet
    for (int y = outer.top(); y <= outer.bottom(); ++y) {
        // The row's edge farther from the centre bounds the chord it holds whole.
        const double dy = std::max(std::abs(y - cy), std::abs(y + 1 - cy));
        int x1 = 0, x2 = -1;
        if (dy < b) {
            const double half = a * std::sqrt(1 - (dy / b) * (dy / b));
            x1 = static_cast<int>(std::ceil(cx - half));
            x2 = static_cast<int>(std::floor(cx + half)) - 1;
        }
        const bool same =
            y > outer.top() && (x2 < x1 ? bandRight < bandLeft : x1 == bandLeft && x2 == bandRight);
        if (same) {
            rects.back().setBottom(y);
            if (bandRight >= bandLeft)
                rects[rects.size() - 2].setBottom(y);
            continue;
        }
        bandLeft = x1;
        bandRight = x2;
        if (x2 < x1) {
            rects.emplace_back(QPoint(outer.left(), y), QPoint(outer.right(), y));
        } else {
            rects.emplace_back(QPoint(outer.left(), y), QPoint(x1 - 1, y));
            rects.emplace_back(QPoint(x2 + 1, y), QPoint(outer.right(), y));
        }
    }
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

// One logical unit of MM_LOMETRIC is 0.1 mm: dpi / 254 pixels.
double Scale(int mapMode, int dpi) {
    return mapMode == MM_LOMETRIC ? dpi / 254.0 : 1.0;
}

} // namespace

Canvas::Canvas(QPainter& painter) : painter_(painter), device_(painter.device()) {
    if (device_ && device_->devType() == QInternal::Image)
        image_ = static_cast<QImage*>(device_);
    if (device_) {
        dpiX_ = std::max(1, device_->logicalDpiX());
        dpiY_ = std::max(1, device_->logicalDpiY());
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    ApplyPen();
    ApplyBrush();
}

Canvas::~Canvas() {
    painter_.restore();
}

int Canvas::HorzRes() const {
    return device_ ? device_->width() : 0;
}
int Canvas::VertRes() const {
    return device_ ? device_->height() : 0;
}

int Canvas::SetMapMode(int mode) {
    const int old = mapMode_;
    mapMode_ = mode == MM_LOMETRIC ? MM_LOMETRIC : MM_TEXT;
    text_.reset();
    ApplyPen();
    return old;
}

QPoint Canvas::SetViewportOrg(QPoint org) {
    const QPoint old = org_;
    org_ = org;
    return old;
}

QPoint Canvas::LPtoDP(QPoint p) const {
    if (mapMode_ == MM_TEXT)
        return org_ + p;
    return {org_.x() + static_cast<int>(std::lround(p.x() * Scale(mapMode_, dpiX_))),
            org_.y() - static_cast<int>(std::lround(p.y() * Scale(mapMode_, dpiY_)))};
}

QPoint Canvas::DPtoLP(QPoint p) const {
    if (mapMode_ == MM_TEXT)
        return p - org_;
    return {static_cast<int>(std::lround((p.x() - org_.x()) / Scale(mapMode_, dpiX_))),
            static_cast<int>(std::lround((org_.y() - p.y()) / Scale(mapMode_, dpiY_)))};
}

int Canvas::LengthToDevice(int logical) const {
    return static_cast<int>(std::lround(logical * Scale(mapMode_, dpiX_)));
}

int Canvas::HeightToDevice(int logical) const {
    return static_cast<int>(std::lround(logical * Scale(mapMode_, dpiY_)));
}

void Canvas::ApplyPen() {
    if (pen_.style == PS_NULL) {
        painter_.setPen(Qt::NoPen);
        return;
    }
    const int w = std::max(1, LengthToDevice(pen_.width));
    QPen pen(pen_.color, w, QtPenStyle(pen_.style), w > 1 ? Qt::RoundCap : Qt::FlatCap, Qt::RoundJoin);
    painter_.setPen(pen);
}

void Canvas::ApplyBrush() {
    switch (brush_.kind) {
    case CanvasBrush::Solid:
        painter_.setBrush(QBrush(brush_.color));
        break;
    case CanvasBrush::Hatched: {
        // Hatch lines are spaced in pixels; on a printer they keep the spacing they have on screen.
        QBrush b(brush_.color, QtHatch(brush_.hatch));
        const double s = dpiX_ / 96.0;
        if (s > 1.5)
            b.setTransform(QTransform::fromScale(s, s));
        painter_.setBrush(b);
        break;
    }
    case CanvasBrush::Hollow:
        painter_.setBrush(Qt::NoBrush);
        break;
    }
}

CanvasPen Canvas::SelectPen(const CanvasPen& pen) {
    CanvasPen old = pen_;
    pen_ = pen;
    ApplyPen();
    return old;
}

CanvasBrush Canvas::SelectBrush(const CanvasBrush& brush) {
    CanvasBrush old = brush_;
    brush_ = brush;
    ApplyBrush();
    return old;
}

CanvasFont Canvas::SelectFont(const CanvasFont& font) {
    CanvasFont old = font_;
    font_ = font;
    text_.reset();
    return old;
}

QFont Canvas::MakeQtFont() const {
    QFont f(font_.face);
    if (font_.swiss)
        f.setStyleHint(QFont::SansSerif);
    if (font_.valid && font_.height != 0)
        f.setPixelSize(std::max(1, HeightToDevice(std::abs(font_.height))));
    else
        f.setPixelSize(std::max(1, dpiY_ * 8 / 72));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(font_.weight == 0 ? 400 : font_.weight, 1, 1000)));
    if (charExtra_ != 0 && device_) {
        // Qt scales absolute letter spacing by the device's resolution over the screen's, so a
        // printer would spread the letters several times too far: ask for what gives the pixels.
        const qreal want = LengthToDevice(charExtra_);
        const QFontMetricsF plain(f, device_);
        const qreal plainStep =
            plain.horizontalAdvance(QStringLiteral("XXX")) - plain.horizontalAdvance(QStringLiteral("XX"));
        f.setLetterSpacing(QFont::AbsoluteSpacing, want);
        const QFontMetricsF spaced(f, device_);
        const qreal got = spaced.horizontalAdvance(QStringLiteral("XXX")) -
                          spaced.horizontalAdvance(QStringLiteral("XX")) - plainStep;
        if (got > 0 && std::abs(got - want) > 0.5)
            f.setLetterSpacing(QFont::AbsoluteSpacing, want * want / got);
    }
    return f;
}

Canvas::TextFont& Canvas::CurrentFont() const {
    if (!text_)
        text_.emplace(MakeQtFont(), device_);
    return *text_;
}

Canvas::TextFont::TextFont(const QFont& f, QPaintDevice* device) : font(f), metrics(f, device) {}

int Canvas::TextFont::Advance(const QString& text) {
    // Measuring shapes the text; the same few numbers and labels are measured over and over.
    if (const auto it = advances.find(text); it != advances.end())
        return it->second;
    if (advances.size() >= 256)
        advances.clear();
    const int w = metrics.horizontalAdvance(text);
    advances.emplace(text, w);
    return w;
}

void Canvas::MoveTo(int x, int y) {
    pos_ = {x, y};
}

void Canvas::LineTo(int x, int y) {
    if (pen_.style != PS_NULL)
        painter_.drawLine(LPtoDP(pos_), LPtoDP({x, y}));
    pos_ = {x, y};
}

void Canvas::PolylineTo(const std::vector<QPoint>& points) {
    if (points.empty())
        return;
    if (pen_.style != PS_NULL) {
        QPolygon device;
        device.reserve(static_cast<int>(points.size()) + 1);
        device.append(LPtoDP(pos_));
        for (const QPoint& p : points)
            device.append(LPtoDP(p));
        const int w = LengthToDevice(pen_.width);
        if (w > 1 && QtPenStyle(pen_.style) == Qt::SolidLine && CanDrawWidePenInPieces())
            StampWidePolyline(device, w);
        else
            painter_.drawPolyline(device);
    }
    pos_ = points.back();
}

QRect Canvas::DeviceRect(int left, int top, int right, int bottom) const {
    const QPoint a = LPtoDP({left, top});
    const QPoint b = LPtoDP({right, bottom});
    // Right and bottom edges are outside, as on the platform this was written for.
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
    const QRect r = DeviceRect(left, top, right, bottom);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (pen_.style != PS_NULL && brush_.kind != CanvasBrush::Hollow && LengthToDevice(pen_.width) > 1 &&
        CanDrawWidePenInPieces()) {
        // With a wide pen the raster engine fills the ellipse as a general path; bare, it fills
        // it directly. The outline, drawn over it as before, covers where the two fills differ.
        painter_.setPen(Qt::NoPen);
        painter_.drawEllipse(r);
        ApplyPen();
        painter_.setBrush(Qt::NoBrush);
        painter_.drawEllipse(r);
        ApplyBrush();
        return;
    }
    painter_.drawEllipse(r);
}

void Canvas::Ellipse(int left, int top, int right, int bottom, const QRect& hole) {
    // Kept two pixels inside the hole's edge, so that the ellipse painted there covers every
    // pixel this one leaves out, whatever the region's and the fill's rounding.
    const QRect inner =
        DeviceRect(hole.left(), hole.top(), hole.right(), hole.bottom()).adjusted(2, 2, -2, -2);
    const QPaintEngine* engine = painter_.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || inner.width() < 8 || inner.height() < 8 ||
        painter_.worldTransform().type() > QTransform::TxTranslate) {
        Ellipse(left, top, right, bottom);
        return;
    }
    // A hatch costs several times a plain fill per pixel; the middle of a large ring is most of it.
    const QRect outer = DeviceRect(left, top, right, bottom).adjusted(-1, -1, 1, 1);
    painter_.save();
    painter_.setClipRegion(RingRegion(outer, inner), Qt::IntersectClip);
    Ellipse(left, top, right, bottom);
    painter_.restore();
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    const QRect r = DeviceRect(left, top, right, bottom);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (brush_.kind != CanvasBrush::Hollow)
        painter_.fillRect(r, painter_.brush());
    if (pen_.style == PS_NULL)
        return;
    // The frame lies inside the rectangle.
    const int w = std::max(1, LengthToDevice(pen_.width));
    painter_.save();
    painter_.setBrush(Qt::NoBrush);
    if (w == 1) {
        painter_.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        QPen p = painter_.pen();
        p.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(p);
        painter_.drawRect(QRectF(r).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0));
    }
    painter_.restore();
}

void Canvas::FillRect(int left, int top, int right, int bottom, QColor color) {
    const QRect r = DeviceRect(left, top, right, bottom);
    if (r.width() > 0 && r.height() > 0)
        painter_.fillRect(r, color);
}

void Canvas::Polygon(const QPoint* points, int count) {
    if (count < 2)
        return;
    QPolygon poly(count);
    for (int k = 0; k < count; ++k)
        poly[k] = LPtoDP(points[k]);
    painter_.drawPolygon(poly, Qt::OddEvenFill);
}

void Canvas::SetClipDevice(const QRect& device) {
    if (device.isEmpty())
        painter_.setClipping(false);
    else
        painter_.setClipRect(device);
}

void Canvas::ClearClip() {
    painter_.setClipping(false);
}

int Canvas::SetTextAlign(int align) {
    const int old = align_;
    align_ = align;
    return old;
}

QColor Canvas::SetTextColor(QColor color) {
    const QColor old = textColor_;
    textColor_ = color;
    return old;
}

QColor Canvas::SetBkColor(QColor color) {
    const QColor old = bkColor_;
    bkColor_ = color;
    painter_.setBackground(color);
    return old;
}

int Canvas::SetBkMode(int mode) {
    const int old = bkMode_;
    bkMode_ = mode == TRANSPARENT ? TRANSPARENT : OPAQUE;
    painter_.setBackgroundMode(bkMode_ == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    return old;
}

int Canvas::SetTextCharacterExtra(int extra) {
    const int old = charExtra_;
    charExtra_ = extra;
    text_.reset();
    return old;
}

CanvasTextMetrics Canvas::GetTextMetrics() const {
    const TextFont& tf = CurrentFont();
    const QFontMetrics& fm = tf.metrics;
    const double sy = Scale(mapMode_, dpiY_);
    const double sx = Scale(mapMode_, dpiX_);
    auto ly = [&](int v) { return static_cast<int>(std::lround(v / sy)); };
    auto lx = [&](int v) { return static_cast<int>(std::lround(v / sx)); };
    CanvasTextMetrics m;
    m.tmAscent = ly(fm.ascent());
    m.tmDescent = ly(fm.descent());
    m.tmHeight = ly(fm.ascent() + fm.descent());
    m.tmInternalLeading = std::max(0, ly(fm.ascent() + fm.descent() - tf.font.pixelSize()));
    m.tmExternalLeading = std::max(0, ly(fm.leading()));
    m.tmAveCharWidth = std::max(1, lx(fm.averageCharWidth()));
    m.tmMaxCharWidth = std::max(1, lx(fm.maxWidth()));
    return m;
}

int Canvas::GetTextExtent(const QString& text) const {
    return static_cast<int>(std::lround(CurrentFont().Advance(text) / Scale(mapMode_, dpiX_)));
}

void Canvas::TextOut(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    TextFont& tf = CurrentFont();
    const QFontMetrics& fm = tf.metrics;
    const int w = tf.Advance(text);
    double dx = 0;
    if ((align_ & TA_CENTER) == TA_CENTER)
        dx = -w / 2.0;
    else if (align_ & TA_RIGHT)
        dx = -w;
    double dy = fm.ascent(); // top
    if ((align_ & TA_BASELINE) == TA_BASELINE)
        dy = 0;
    else if (align_ & TA_BOTTOM)
        dy = -fm.descent();
    if (!tf.onPainter) {
        painter_.setFont(tf.font);
        tf.onPainter = true;
    }
    painter_.setPen(textColor_);
    const QPointF at = LPtoDP({x, y});
    if (font_.escapement != 0) {
        painter_.save();
        painter_.translate(at);
        painter_.rotate(-font_.escapement / 10.0);
        if (bkMode_ == OPAQUE)
            painter_.fillRect(QRectF(dx, dy - fm.ascent(), w, fm.height()), bkColor_);
        painter_.drawText(QPointF(dx, dy), text);
        painter_.restore();
    } else {
        if (bkMode_ == OPAQUE)
            painter_.fillRect(QRectF(at.x() + dx, at.y() + dy - fm.ascent(), w, fm.height()), bkColor_);
        painter_.drawText(at + QPointF(dx, dy), text);
    }
    ApplyPen();
}

void Canvas::DrawTextWrapped(const QRect& logical, const QString& text) {
    const QRect r = DeviceRect(logical.left(), logical.top(), logical.left() + logical.width(),
                               logical.top() + logical.height());
    painter_.save();
    painter_.setFont(CurrentFont().font);
    painter_.setPen(textColor_);
    painter_.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter_.restore();
}
