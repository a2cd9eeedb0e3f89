// What the canvas writes into an image's rows itself, where that gives the raster engine's own
// pixels for less: wide solid polylines as segments and discs, and labelled ellipses copied from
// pixels made once.
#include "views/canvas.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A disc of diameter `width` pixels round a pixel corner, as the raster engine fills a round cap
// there (the pixels whose centres lie inside it), as rectangles of rows of equal extent.
std::vector<QRect> DiscRows(int width) {
    std::vector<QRect> rows;
    const double r2 = width * width / 4.0;
    for (int j = -(width + 1) / 2; j < (width + 1) / 2; ++j) {
        const double dy = j + 0.5;
        int half = 0; // pixels either side of the centre
        while ((half + 0.5) * (half + 0.5) + dy * dy < r2)
            ++half;
        if (half == 0)
            continue;
        if (!rows.empty() && rows.back().left() == -half && rows.back().bottom() == j - 1)
            rows.back().setBottom(j);
        else
            rows.emplace_back(-half, j, 2 * half, 1);
    }
    return rows;
}

// The rows of pixels the raster engine fills for an aliased, flat-capped solid line `width` pixels
// wide from `a` to `b` (device pixels, the line well inside the device): `span(y, x1, x2)` for each
// row's run, x1 <= x2. Its rules, so that the pixels are the engine's own: a line within 1/64
// pixel of level or plumb is a rectangle; any other is a rectangle with its corners on the 1/64
// grid, whose edges are stepped row by row in 16.16 fixed point, a pixel taken when its centre
// lies inside.
template <typename Span> void ScanWideLine(QPointF a, QPointF b, double width, Span span) {
    using Fixed = int64_t;
    const auto fixed = [](double v) { return static_cast<Fixed>(v * 65536.0); };
    const auto whole = [](Fixed v) { return static_cast<int>(v >> 16); };
    const auto same = [](double p, double q) { return static_cast<int>((q - p) * 64.0) == 0; };
    const auto divide = [](double x, double y) { return y == 0 ? (x > 0 ? 1e20 : -1e20) : x / y; };
    const auto snap = [](QPointF p) {
        return QPointF(std::floor(p.x() * 64) / 64.0, std::floor(p.y() * 64) / 64.0);
    };
    width /= std::hypot(b.x() - a.x(), b.y() - a.y()); // relative to the length from here on
    if (same(a.y(), b.y())) {
        // Level: the same rectangle turned plumb about its middle.
        const double x = (a.x() + b.x()) * 0.5;
        const double half = width * std::abs(b.x() - a.x()) * 0.5;
        const double y = a.y();
        a = QPointF(x, y - half);
        b = QPointF(x, y + half);
        width = 1 / width;
    }
    if (same(a.x(), b.x())) {
        if (a.y() > b.y())
            std::swap(a, b);
        const double half = 0.5 * width * (b.y() - a.y());
        const double left = a.x() - half, right = a.x() + half;
        if (same(left, right) || same(a.y(), b.y()))
            return;
        const int top = static_cast<int>(a.y() + 0.5);
        const int bottom = static_cast<int>(b.y() - 0.5);
        const int x1 = static_cast<int>(left + 0.5), x2 = static_cast<int>(right - 0.5);
        if (x2 >= x1)
            for (int y = top; y <= bottom; ++y)
                span(y, x1, x2);
        return;
    }
    if (a.y() > b.y())
        std::swap(a, b);
    QPointF delta = b - a;
    delta *= 0.5 * width;
    const QPointF perp(delta.y(), -delta.x());
    const bool rightward = a.x() < b.x();
    const QPointF top = snap(rightward ? a + perp : a - perp);
    const QPointF left = snap(rightward ? a - perp : b - perp);
    const QPointF right = snap(rightward ? b + perp : a + perp);
    const QPointF bottom = snap(rightward ? b - perp : b + perp);
    const double topLeft = divide((left - top).x(), (left - top).y());
    const double topRight = divide((right - top).x(), (right - top).y());
    const double bottomLeft = divide((bottom - left).x(), (bottom - left).y());
    const double bottomRight = divide((bottom - right).x(), (bottom - right).y());
    const int yTop = static_cast<int>(top.y() + 0.5);
    const int yLeft = static_cast<int>(left.y() - 0.5);
    const int yRight = static_cast<int>(right.y() - 0.5);
    const int yBottom = static_cast<int>(bottom.y() - 0.5);
    // Each edge's x at the centre of the first row it bounds, half a pixel in.
    Fixed leftA = fixed(top.x() + 0.5 + (yTop + 0.5 - top.y()) * topLeft);
    Fixed leftB = fixed(left.x() + 0.5 + (yLeft + 1.5 - left.y()) * bottomLeft);
    Fixed rightA = fixed(top.x() - 0.5 + (yTop + 0.5 - top.y()) * topRight);
    Fixed rightB = fixed(right.x() - 0.5 + (yRight + 1.5 - right.y()) * bottomRight);
    int y = yTop;
    const auto rows = [&](int last, Fixed& l, Fixed& r, Fixed lStep, Fixed rStep) {
        for (; y <= last; ++y, l += lStep, r += rStep)
            if (whole(r) >= whole(l))
                span(y, whole(l), whole(r));
    };
    // Down to the upper side corner, past it on the side it turned, then down to the bottom.
    rows(std::min(yLeft, yRight), leftA, rightA, fixed(topLeft), fixed(topRight));
    rows(yRight, leftB, rightA, fixed(bottomLeft), fixed(topRight));
    rows(yLeft, leftA, rightB, fixed(topLeft), fixed(bottomRight));
    rows(yBottom, leftB, rightB, fixed(bottomLeft), fixed(bottomRight));
}

} // namespace

bool Canvas::CanDrawWidePenInPieces() const {
    // Overlapping pieces would blend twice where a translucent stroke blends once, and show
    // the edges they hide; a vector device would get a stroke in pieces.
    const QPaintEngine* engine = painter_.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster && pen_.color.alpha() == 255 &&
           !painter_.testRenderHint(QPainter::Antialiasing) && painter_.opacity() >= 1.0 &&
           painter_.compositionMode() == QPainter::CompositionMode_SourceOver &&
           painter_.worldTransform().type() <= QTransform::TxTranslate;
}

QRgb* Canvas::WritableRows(QRect& inside, QPoint& offset) const {
    // Only an image painted with no clip and moved by whole pixels, whose memory the painter
    // alone holds: what is written there is what the raster engine would have written.
    if (!image_ || !image_->isDetached() || painter_.hasClipping() ||
        !painter_.paintEngine()->systemClip().isEmpty())
        return nullptr;
    const QImage::Format f = image_->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    const QTransform t = painter_.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return nullptr;
    inside = image_->rect();
    offset = QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
    return reinterpret_cast<QRgb*>(image_->bits());
}

void Canvas::StampWidePolyline(const QPolygon& device, int width) {
    // A wide round-capped, round-joined stroke is its segments with flat ends and a disc at every
    // vertex. The raster engine scan-converts flat-capped lines and fills rectangles directly,
    // where the general stroker would trace and fill an outline with arcs at every join; on an
    // image the same rows are written here, without the engine's cost for each piece.
    if (discWidth_ != width) {
        disc_ = DiscRows(width);
        discWidth_ = width;
    }
    QRect inside;
    QPoint offset;
    QRgb* const bits = WritableRows(inside, offset);
    const qsizetype stride = bits ? image_->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)) : 0;
    const QRgb pixel = pen_.color.rgba();
    const auto fill = [&](int y, int x1, int x2) {
        // Most runs are two or three pixels: a plain loop, not a call.
        QRgb* p = bits + y * stride + x1;
        for (int n = x2 - x1; n >= 0; --n)
            *p++ = pixel;
    };
    // Pieces near the edge go to the engine, which clips them as it must.
    const QRect safe = inside.adjusted(width + 2, width + 2, -width - 2, -width - 2);
    const auto written = [&](QPoint p) {
        return bits && p.x() >= safe.left() && p.x() <= safe.right() && p.y() >= safe.top() &&
               p.y() <= safe.bottom();
    };
    std::vector<QLine> lines;
    std::vector<QRect> rows;
    bool previous = false; // the previous vertex was written here
    for (qsizetype k = 0; k < device.size(); ++k) {
        if (k > 0 && device[k] == device[k - 1])
            continue;
        const QPoint p = device[k] + offset;
        const bool here = written(p);
        if (k > 0) {
            if (here && previous)
                ScanWideLine(QPointF(device[k - 1] + offset), QPointF(p), width, fill);
            else
                lines.emplace_back(device[k - 1], device[k]);
        }
        previous = here;
        for (const QRect& r : disc_) {
            if (here) {
                for (int y = r.top(); y <= r.bottom(); ++y)
                    fill(p.y() + y, p.x() + r.left(), p.x() + r.right());
            } else {
                rows.push_back(r.translated(device[k]));
            }
        }
    }
    if (lines.empty() && rows.empty())
        return;
    if (!lines.empty()) {
        painter_.setPen(QPen(pen_.color, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter_.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    if (!rows.empty()) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(pen_.color);
        painter_.drawRects(rows.data(), static_cast<int>(rows.size()));
    }
    ApplyPen();
    ApplyBrush();
}

size_t CanvasStamps::KeyHash::operator()(const Key& k) const noexcept {
    return qHashMulti(0, k.size.width(), k.size.height(), k.label.x(), k.label.y(), k.text, k.font, k.align,
                      k.penStyle, k.penWidth, k.brushKind, k.format, k.dpmX, k.dpmY, k.hints, k.direction,
                      k.pen, k.brush, k.textColour);
}

size_t CanvasStamps::kept() const {
    return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(),
                                             [](const auto& e) { return !e.second.pixels.isNull(); }));
}

bool Canvas::CanStamp(const CanvasBrush& fill) const {
    // Copied pixels are what the drawing would give only where it would give the same pixels
    // moved by whole pixels: an image painted as it is, by the raster engine, a solid brush
    // (a hatch is tied to the device's origin) and text that is neither rotated nor boxed.
    if (!image_ || image_->devicePixelRatio() != 1.0 || bkMode_ != TRANSPARENT || font_.escapement != 0 ||
        fill.kind != CanvasBrush::Solid)
        return false;
    const QImage::Format f = image_->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return false;
    const QPaintEngine* engine = painter_.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || painter_.opacity() < 1.0 ||
        painter_.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QTransform t = painter_.deviceTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
           t.dy() == std::floor(t.dy());
}

void Canvas::LabelledEllipse(int left, int top, int right, int bottom, const CanvasBrush& fill, int x, int y,
                             const QString& text, CanvasStamps* stamps) {
    const auto draw = [&] {
        const CanvasBrush old = SelectBrush(fill);
        Ellipse(left, top, right, bottom);
        SelectBrush(old);
        TextOut(x, y, text);
    };
    const QRect r = DeviceRect(left, top, right, bottom);
    if (!stamps || r.width() <= 0 || r.height() <= 0 || text.isEmpty() || !CanStamp(fill)) {
        draw();
        return;
    }
    CanvasStamps::Key key;
    key.size = r.size();
    key.label = LPtoDP({x, y}) - r.topLeft();
    key.text = text;
    key.font = CurrentFont().font;
    key.align = align_;
    key.penStyle = pen_.style;
    key.penWidth = pen_.style == PS_NULL ? 0 : std::max(1, LengthToDevice(pen_.width));
    key.brushKind = fill.kind;
    key.format = image_->format();
    key.dpmX = image_->dotsPerMeterX();
    key.dpmY = image_->dotsPerMeterY();
    key.hints = static_cast<int>(painter_.renderHints());
    key.direction = painter_.layoutDirection();
    key.pen = pen_.color.rgba();
    key.brush = fill.color.rgba();
    key.textColour = textColor_.rgba();
    if (stamps->entries_.size() >= 1024)
        stamps->entries_.clear();
    const auto [it, added] = stamps->entries_.try_emplace(std::move(key));
    CanvasStamps::Entry& e = it->second;
    // A look of one paint may never come again: only one met in a later paint pays for a stamp.
    if (added)
        e.paint = stamps->paint_;
    else if (!e.made && e.paint != stamps->paint_)
        e = MakeStamp(r, left, top, right, bottom, fill, x, y, text);
    if (e.pixels.isNull()) {
        draw();
        return;
    }
    painter_.drawImage(r.topLeft() + e.offset, e.pixels);
}

CanvasStamps::Entry Canvas::MakeStamp(QRect ellipse, int left, int top, int right, int bottom,
                                      const CanvasBrush& fill, int x, int y, const QString& text) {
    CanvasStamps::Entry e;
    e.made = true;
    // Room round the ellipse and the label's box for the pen and for glyphs that overhang it.
    TextFont& tf = CurrentFont();
    const QFontMetrics& fm = tf.metrics;
    const int pen = pen_.style == PS_NULL ? 0 : std::max(1, LengthToDevice(pen_.width));
    const int margin = 2 + pen + fm.height() / 4;
    const QPoint at = LPtoDP({x, y});
    const QRect label(at.x() - tf.Advance(text), at.y() - fm.height(), 2 * tf.Advance(text), 2 * fm.height());
    const QRect bounds = ellipse.united(label).adjusted(-margin, -margin, margin, margin);
    const int w = bounds.width(), h = bounds.height();
    // Drawn on black above and on white below: a pixel alike on both is the drawing's own, one
    // left black and white is not drawn, any other would show the ground through it.
    QImage scratch(w, 2 * h, image_->format());
    scratch.setDotsPerMeterX(image_->dotsPerMeterX());
    scratch.setDotsPerMeterY(image_->dotsPerMeterY());
    {
        QPainter p(&scratch);
        p.fillRect(QRect(0, 0, w, h), Qt::black);
        p.fillRect(QRect(0, h, w, h), Qt::white);
        p.setLayoutDirection(painter_.layoutDirection());
        Canvas sc(p);
        p.setRenderHints(p.renderHints(), false);
        p.setRenderHints(painter_.renderHints(), true);
        sc.mapMode_ = mapMode_;
        sc.pen_ = pen_;
        sc.brush_ = fill;
        sc.font_ = font_;
        sc.charExtra_ = charExtra_;
        sc.align_ = align_;
        sc.textColor_ = textColor_;
        sc.SetBkMode(bkMode_);
        sc.text_ = text_;
        sc.text_->onPainter = false;
        sc.ApplyPen();
        sc.ApplyBrush();
        for (int k = 0; k < 2; ++k) {
            sc.org_ = org_ - bounds.topLeft() + QPoint(0, k * h);
            sc.Ellipse(left, top, right, bottom);
            sc.TextOut(x, y, text);
        }
    }
    QImage pixels(w, h, QImage::Format_ARGB32_Premultiplied);
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    int x1 = w, x2 = -1, y1 = h, y2 = -1; // what was drawn, kept alone: a copy costs by the pixel
    for (int j = 0; j < h; ++j) {
        const QRgb* a = reinterpret_cast<const QRgb*>(scratch.constScanLine(j));
        const QRgb* b = reinterpret_cast<const QRgb*>(scratch.constScanLine(j + h));
        QRgb* out = reinterpret_cast<QRgb*>(pixels.scanLine(j));
        const bool edge = j == 0 || j == h - 1;
        for (int i = 0; i < w; ++i) {
            if (a[i] == black && b[i] == white) {
                out[i] = 0;
                continue;
            }
            // Drawn on the edge: the room was too small to be sure nothing was cut off.
            if (a[i] != b[i] || qAlpha(a[i]) != 255 || edge || i == 0 || i == w - 1)
                return e;
            out[i] = a[i];
            x1 = std::min(x1, i);
            x2 = std::max(x2, i);
            y1 = std::min(y1, j);
            y2 = j;
        }
    }
    if (x2 < x1)
        return e;
    const QRect drawn(QPoint(x1, y1), QPoint(x2, y2));
    e.pixels = pixels.copy(drawn);
    e.offset = bounds.topLeft() + drawn.topLeft() - ellipse.topLeft();
    return e;
}
