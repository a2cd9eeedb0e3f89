// The device-context operations the views are written in, over a QPainter on any paint device
// (window, image, printer, PDF, SVG). Logical coordinates are mapped to device pixels here, so
// text is never mirrored when y grows upward (MM_LOMETRIC).
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <unordered_map>
#include <vector>

class QPainter;
class QPaintDevice;
class QPolygon;

// Mapping modes.
inline constexpr int MM_TEXT = 1;     // one unit = one pixel, y down
inline constexpr int MM_LOMETRIC = 2; // one unit = 0.1 mm, y up

// Text alignment: horizontal part (mask 6) and vertical part (mask 24).
inline constexpr int TA_LEFT = 0;
inline constexpr int TA_RIGHT = 2;
inline constexpr int TA_CENTER = 6;
inline constexpr int TA_TOP = 0;
inline constexpr int TA_BOTTOM = 8;
inline constexpr int TA_BASELINE = 24;

// Pen styles.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_DASHDOT = 3;
inline constexpr int PS_DASHDOTDOT = 4;
inline constexpr int PS_NULL = 5;
inline constexpr int PS_INSIDEFRAME = 6;

// Hatch styles.
inline constexpr int HS_HORIZONTAL = 0;
inline constexpr int HS_VERTICAL = 1;
inline constexpr int HS_FDIAGONAL = 2;
inline constexpr int HS_BDIAGONAL = 3;
inline constexpr int HS_CROSS = 4;
inline constexpr int HS_DIAGCROSS = 5;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

struct CanvasPen {
    int style = PS_SOLID;
    int width = 0; // logical units; 0 = one pixel
    QColor color = Qt::black;
};

struct CanvasBrush {
    enum Kind { Solid, Hatched, Hollow };
    Kind kind = Solid;
    int hatch = HS_DIAGCROSS;
    QColor color = Qt::white;
    static CanvasBrush SolidOf(QColor c) { return {Solid, 0, c}; }
    static CanvasBrush HatchOf(int hatch, QColor c) { return {Hatched, hatch, c}; }
    static CanvasBrush HollowBrush() { return {Hollow, 0, {}}; }
};

struct CanvasFont {
    QString face = QStringLiteral("Arial");
    int height = 0;     // logical units; negative: character height, positive: cell height
    int weight = 400;   // 400 normal, 700 bold
    int escapement = 0; // tenths of a degree, counter-clockwise
    bool swiss = true;  // family hint: sans serif
    bool valid = false; // false: the device's default font
};

// Labelled ellipses kept as pixels for a drawing that shows the same ones paint after paint: a
// look met again in a later paint (size, pen, brush, font, label and where it falls, device
// format) is drawn once on a scratch image and copied from there after. The key holds all that
// decides the pixels, so a change of look makes a new entry and never shows a stale one.
class CanvasStamps {
public:
    void BeginPaint() { ++paint_; }
    size_t size() const { return entries_.size(); }
    size_t kept() const; // looks kept as pixels
    void clear() { entries_.clear(); }

private:
    friend class Canvas;
    struct Key {
        QSize size;   // the ellipse's device rectangle
        QPoint label; // the label's device point from that rectangle's corner
        QString text;
        QFont font;
        int align = 0, penStyle = 0, penWidth = 0, brushKind = 0, format = 0, dpmX = 0, dpmY = 0;
        int hints = 0, direction = 0;
        QRgb pen = 0, brush = 0, textColour = 0;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept;
    };
    struct Entry {
        bool made = false; // false: met in one paint only, drawn directly
        int paint = 0;     // the paint it was first met in
        QImage pixels;     // null: the look lets the ground through, always drawn directly
        QPoint offset;     // of the pixels from the ellipse's corner
    };
    std::unordered_map<Key, Entry, KeyHash> entries_;
    int paint_ = 0;
};

// In logical units of the canvas at the time they are read.
struct CanvasTextMetrics {
    int tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
    int tmAveCharWidth = 0, tmMaxCharWidth = 0;
};

class Canvas {
public:
    explicit Canvas(QPainter& painter);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& Painter() { return painter_; }
    // The colour the device already shows wherever this canvas may draw, set by whoever filled it
    // (invalid when unknown): a drawing may leave out what it would only paint in that colour.
    void SetGround(QColor colour) { ground_ = colour; }
    QColor Ground() const { return ground_; }
    int LogPixelsX() const { return dpiX_; }
    int LogPixelsY() const { return dpiY_; }
    int HorzRes() const; // device size in pixels
    int VertRes() const;

    int SetMapMode(int mode); // returns the previous mode
    int MapMode() const { return mapMode_; }
    QPoint SetViewportOrg(QPoint org); // device units; returns the previous origin
    QPoint ViewportOrg() const { return org_; }
    QPoint LPtoDP(QPoint p) const;
    QPoint DPtoLP(QPoint p) const;
    int LengthToDevice(int logical) const; // horizontal
    int HeightToDevice(int logical) const;

    CanvasPen SelectPen(const CanvasPen& pen);
    CanvasBrush SelectBrush(const CanvasBrush& brush);
    CanvasFont SelectFont(const CanvasFont& font);
    const CanvasPen& Pen() const { return pen_; }
    const CanvasBrush& Brush() const { return brush_; }
    const CanvasFont& Font() const { return font_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // LineTo through each point in turn, stroked as one line: a wide pen's joins instead of a cap
    // at every end. On an image or a window an opaque wide solid line is drawn in pieces that
    // give the same pixels but for a few at the joins.
    void PolylineTo(const std::vector<QPoint>& points);
    QPoint CurrentPosition() const { return pos_; }
    void Ellipse(int left, int top, int right, int bottom);
    // The same, for a ring whose middle the caller paints over next: on an image or a window what
    // lies well inside the ellipse in `hole` (logical corners) is left unfilled.
    void Ellipse(int left, int top, int right, int bottom, const QRect& hole);
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(int left, int top, int right, int bottom, QColor color);
    void Polygon(const QPoint* points, int count); // even-odd fill

    // Clipping in device coordinates; an empty rectangle clears it.
    void SetClipDevice(const QRect& device);
    void ClearClip();

    int SetTextAlign(int align);
    int TextAlign() const { return align_; }
    QColor SetTextColor(QColor color);
    QColor TextColor() const { return textColor_; }
    QColor SetBkColor(QColor color);
    int SetBkMode(int mode);
    int SetTextCharacterExtra(int extra); // logical units
    CanvasTextMetrics GetTextMetrics() const;
    int GetTextExtent(const QString& text) const; // logical width
    void TextOut(int x, int y, const QString& text);
    // Ellipse filled with `fill`, then TextOut of `text` at (x, y); the brush stays as it was.
    // With `stamps` on an image each look is drawn once and copied after, wherever it lands (see
    // CanvasStamps): the same pixels.
    void LabelledEllipse(int left, int top, int right, int bottom, const CanvasBrush& fill, int x, int y,
                         const QString& text, CanvasStamps* stamps);
    // Word-wrapped text inside a logical rectangle, top-left aligned.
    void DrawTextWrapped(const QRect& logical, const QString& text);

private:
    // The selected font as Qt draws it on this device, with what was measured in it.
    struct TextFont {
        TextFont(const QFont& f, QPaintDevice* device);
        int Advance(const QString& text); // pixels
        QFont font;
        QFontMetrics metrics;
        std::unordered_map<QString, int> advances;
        bool onPainter = false; // set on the painter since it was made
    };

    QFont MakeQtFont() const;
    TextFont& CurrentFont() const;
    QRect DeviceRect(int left, int top, int right, int bottom) const;
    void ApplyPen();
    void ApplyBrush();
    bool CanDrawWidePenInPieces() const;
    void StampWidePolyline(const QPolygon& device, int width);
    // The device's first pixel when the device is an image its rows may be written to directly
    // now, with the part of it that may be written and the painter's offset in it; else null.
    QRgb* WritableRows(QRect& inside, QPoint& offset) const;
    bool CanStamp(const CanvasBrush& fill) const;
    // The pixels of a labelled ellipse made on scratch images, or null when the ground shows
    // through some of them.
    CanvasStamps::Entry MakeStamp(QRect ellipse, int left, int top, int right, int bottom,
                                  const CanvasBrush& fill, int x, int y, const QString& text);

    QPainter& painter_;
    QPaintDevice* device_;
    QImage* image_ = nullptr; // the device when it is an image
    int dpiX_ = 96, dpiY_ = 96;
    int mapMode_ = MM_TEXT;
    QPoint org_;
    QPoint pos_;
    CanvasPen pen_;
    CanvasBrush brush_;
    CanvasFont font_;
    int align_ = TA_LEFT | TA_TOP;
    QColor textColor_ = Qt::black;
    QColor bkColor_ = Qt::white;
    QColor ground_;
    int bkMode_ = OPAQUE;
    int charExtra_ = 0;
    mutable std::optional<TextFont> text_; // made when first used after the font, mode or spacing changed
    int discWidth_ = 0;                    // the pen width (pixels) disc_ was made for
    std::vector<QRect> disc_;              // a wide pen's round end as rows of pixels round (0, 0)
};
