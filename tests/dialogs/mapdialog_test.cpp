// The site map: its geometry and projection, the readouts, clicks, a typed position, the marker,
// OK and Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "dialogs/mapdialog.h"
#include "dialogs/sitedialog_fixture.h"
#include "ui/commands.h"
#include "ui/help.h"

using sitedialog_fixture::Control;
using sitedialog_fixture::Drain;

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

QString Readout(QWidget* d, int id) {
    return Control<QLabel>(d, id)->text();
}

} // namespace

TEST(MapGeometry, ProjectsPositionsToPixelsAndBack) {
    // A map of 360 x 200 pixels from (20, 10): centre (200, 110).
    const MapGeometry map = MapGeometry::FromEdges(20, 10, 380, 210);
    EXPECT_EQ(map.cx, 200);
    EXPECT_EQ(map.cy, 110);
    EXPECT_EQ(map.ToPixel(45, 90), QPoint(290, 60));
    EXPECT_EQ(map.ToPixel(0, 0), QPoint(200, 110));
    double latitude, longitude;
    map.FromPixel(QPoint(110, 160), latitude, longitude);
    EXPECT_EQ(latitude, -45);
    EXPECT_EQ(longitude, -90);
    EXPECT_TRUE(map.Contains(QPoint(20, 10)));
    EXPECT_FALSE(map.Contains(QPoint(380, 100))); // the right and bottom edges are outside
    EXPECT_FALSE(map.Contains(QPoint(100, 210)));
    EXPECT_FALSE(map.Contains(QPoint(19, 100)));
    // A latitude beyond the pole still maps to a pixel, off the map.
    EXPECT_FALSE(map.Contains(map.ToPixel(120, 0)));
}

TEST(MapGeometry, TakesTheUpperLeftOfTheClientAreaAtOnePointEightToOne) {
    // 1000 x 600, characters 10 x 20: 70..730 by 20..460, then 660 x 366 centred vertically.
    const MapGeometry m = MapGeometry::ForClientArea(QRect(0, 0, 1000, 600), 10, 20);
    EXPECT_EQ(m.left, 70);
    EXPECT_EQ(m.right, 730);
    EXPECT_EQ(m.top, 57);
    EXPECT_EQ(m.bottom, 423);
    EXPECT_EQ(m.cx, 400);
    EXPECT_EQ(m.cy, 240);
    // A wide area: the width gives way.
    const MapGeometry w = MapGeometry::ForClientArea(QRect(0, 0, 2000, 500), 10, 20);
    EXPECT_EQ(w.bottom - w.top, 360);
    EXPECT_EQ(w.right - w.left, 648);
}

TEST(MapReadout, ShowsDegreesMinutesSecondsHundredthsAndTheHemisphere) {
    EXPECT_EQ(MapReadout(-33.8568, true), QString::fromUtf8(" 33°51'24\".48 S"));
    EXPECT_EQ(MapReadout(151.2153, false), QString::fromUtf8("151°12'55\". 8 E"));
    EXPECT_EQ(MapReadout(0, true), QString::fromUtf8("  0° 0' 0\". 0 N"));
    EXPECT_EQ(MapReadout(-0.5, false), QString::fromUtf8("  0°30' 0\". 0 W"));
}

class MapDialogTest : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    double latitude = -33.8568, longitude = 151.2153;
    std::unique_ptr<MapDialog> dialog;

    void SetUp() override {
        dialog = std::make_unique<MapDialog>(nullptr, QStringLiteral("Sydney"), latitude, longitude);
        dialog->show();
        Drain();
    }
    QWidget* D() { return dialog.get(); }
};

TEST_F(MapDialogTest, ShowsTheNameAndPositionAndFollowsThePointer) {
    EXPECT_EQ(D()->windowTitle(), "Site location on the map");
    EXPECT_EQ(Readout(D(), 909), "Sydney");
    EXPECT_EQ(Readout(D(), 903), QString::fromUtf8(" 33°51'24\".48 S"));
    EXPECT_EQ(Readout(D(), 904), QString::fromUtf8("151°12'55\". 8 E"));
    EXPECT_EQ(Readout(D(), 905), QString(15, ' '));
    EXPECT_EQ(HelpContextFor(Control<QPushButton>(D(), 1)), kMapDialogHelpContext);

    const MapGeometry& map = dialog->Geometry();
    EXPECT_NEAR(double(map.right - map.left) / (map.bottom - map.top), 1.8, 0.01);
    Mouse(D(), QEvent::MouseMove, QPoint(map.cx, map.cy));
    EXPECT_EQ(Readout(D(), 905), QString::fromUtf8("  0° 0' 0\". 0 N"));
    EXPECT_EQ(Readout(D(), 902), QString::fromUtf8("  0° 0' 0\". 0 E"));
    Mouse(D(), QEvent::MouseMove, QPoint(map.left, map.top));
    EXPECT_TRUE(Readout(D(), 905).endsWith("N"));
    EXPECT_TRUE(Readout(D(), 902).endsWith("W"));
    // Off the map: blanks; the chosen position stays.
    Mouse(D(), QEvent::MouseMove, QPoint(map.right + 3, map.cy));
    EXPECT_EQ(Readout(D(), 905), QString(15, ' '));
    EXPECT_EQ(Readout(D(), 902), QString(15, ' '));
    EXPECT_EQ(Readout(D(), 903), QString::fromUtf8(" 33°51'24\".48 S"));
}

TEST_F(MapDialogTest, ClicksOnTheMapChooseAndOkHandsThePositionBack) {
    const MapGeometry& map = dialog->Geometry();
    // Outside the map: ignored.
    Mouse(D(), QEvent::MouseButtonPress, QPoint(map.right, map.cy));
    Mouse(D(), QEvent::MouseButtonPress, QPoint(map.cx, map.top - 1));
    EXPECT_EQ(dialog->ChosenLatitude(), -33.8568);
    // A quarter of the way to the left and down: 90 W, 45 S.
    const QPoint p(map.cx - (map.right - map.left) / 4, map.cy + (map.bottom - map.top) / 4);
    Mouse(D(), QEvent::MouseButtonPress, p);
    double expectLat, expectLon;
    map.FromPixel(p, expectLat, expectLon);
    EXPECT_NEAR(expectLat, -45, 1);
    EXPECT_NEAR(expectLon, -90, 1);
    EXPECT_EQ(dialog->ChosenLatitude(), expectLat);
    EXPECT_EQ(Readout(D(), 903), MapReadout(expectLat, true));
    EXPECT_EQ(latitude, -33.8568); // the caller's values wait for OK
    Control<QPushButton>(D(), 1)->click();
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(latitude, expectLat);
    EXPECT_EQ(longitude, expectLon);
}

TEST_F(MapDialogTest, CancelLeavesTheCallersPositionAlone) {
    const MapGeometry& map = dialog->Geometry();
    Mouse(D(), QEvent::MouseButtonPress, QPoint(map.cx + 10, map.cy + 10));
    Mouse(D(), QEvent::MouseButtonPress, QPoint(map.cx - 30, map.cy - 20));
    Control<QPushButton>(D(), 2)->click();
    EXPECT_EQ(dialog->result(), 2);
    EXPECT_EQ(latitude, -33.8568);
    EXPECT_EQ(longitude, 151.2153);
}

TEST_F(MapDialogTest, ATypedPositionIsTakenWithEnterAndAnImpossibleOneIsRefusedWithTheRanges) {
    QLineEdit* typed = Control<QLineEdit>(D(), 906);
    typed->setFocus();
    typed->setText("27.7172, 85.324");
    QTest::keyClick(typed, Qt::Key_Return);
    EXPECT_TRUE(D()->isVisible()); // Enter there does not close the map
    EXPECT_EQ(dialog->ChosenLatitude(), 27.7172);
    EXPECT_EQ(dialog->ChosenLongitude(), 85.324);
    for (const char* bad : {"95 200", "abc", "10", "north east", "10 -180.5"}) {
        SCOPED_TRACE(bad);
        typed->setText(bad);
        prompts.answers = {IDOK};
        QTest::keyClick(typed, Qt::Key_Return);
        ASSERT_TRUE(prompts.answers.empty()); // the message was shown
        const QString text = prompts.LastText();
        EXPECT_TRUE(text.startsWith(QString("\"%1\"").arg(bad))) << text.toStdString();
        EXPECT_TRUE(text.contains("latitude from -90 to 90, longitude from -180 to 180"));
        EXPECT_EQ(typed->selectedText(), bad); // ready to be typed over
    }
    EXPECT_EQ(dialog->ChosenLatitude(), 27.7172);
    EXPECT_TRUE(D()->isVisible());
}

TEST_F(MapDialogTest, TheMarkerAlternatesBetweenPlusAndCrossTwiceASecond) {
    const int first = dialog->MarkerPhase();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->MarkerPhase() != first; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->MarkerPhase() == first; }, 3000));
    // Drawn by inverting: yellow on the blue sea.
    Mouse(D(), QEvent::MouseButtonPress, dialog->Geometry().ToPixel(-40, -140)); // South Pacific
    D()->repaint();
    const QImage image = D()->grab().toImage();
    const QPoint at = dialog->Geometry().ToPixel(dialog->ChosenLatitude(), dialog->ChosenLongitude());
    // On an arm of the plus or the cross (where the two lines cross they invert twice).
    const QPoint arm = dialog->MarkerPhase() > 0 ? QPoint(3, 0) : QPoint(2, 2);
    EXPECT_EQ(image.pixelColor(at + arm), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(at + QPoint(8, 8)), QColor(0, 0, 255));
}
