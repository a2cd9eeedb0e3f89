// Letter-spaced text on devices of any resolution: the extra space is in the canvas's logical
// units, so a title keeps its width on paper whatever the printer's dots per inch.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "views/canvas.h"
#include "views/view_fixture.h"

using namespace view_fixture;

namespace {

// The columns holding ink (anything darker than mid grey) in a rectangle; {-1, -1} when none.
std::pair<int, int> InkColumns(const QImage& img, QRect r) {
    int left = -1, right = -1;
    r = r.intersected(img.rect());
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (qGray(img.pixel(x, y)) < 128) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
    return {left, right};
}

QImage ImageAtDpi(int w, int h, int dpi) {
    QImage img = WhiteImage(w, h);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    return img;
}

} // namespace

TEST(Canvas, CharacterExtraAddsItsLogicalWidthPerCharacterAtEveryResolution) {
    const QString text = QStringLiteral("GLONASS");
    for (int dpi : {96, 300, 600}) {
        SCOPED_TRACE(dpi);
        QImage img = ImageAtDpi(dpi * 8, dpi / 2, dpi);
        int plain = 0, spaced = 0, extra = 0;
        {
            QPainter p(&img);
            Canvas dc(p);
            CanvasFont f;
            f.height = -dc.LogPixelsY() * 12 / 72; // 12 points
            f.weight = 700;
            f.valid = true;
            dc.SelectFont(f);
            extra = dc.GetTextMetrics().tmAveCharWidth;
            plain = dc.GetTextExtent(text);
            dc.SetTextCharacterExtra(extra);
            spaced = dc.GetTextExtent(text);
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(img.width() / 2, 0, text);
        }
        // What is measured is what is drawn: one average character more for each letter.
        EXPECT_NEAR(spaced, plain + text.size() * extra, text.size());
        const auto [left, right] = InkColumns(img, img.rect());
        ASSERT_GE(left, 0);
        EXPECT_LE(right - left + 1, spaced);
        EXPECT_GE(right - left + 1, plain + (text.size() - 2) * extra);
        // Centred where it was asked to be.
        EXPECT_NEAR((left + right) / 2.0, img.width() / 2.0, extra);
    }
}
