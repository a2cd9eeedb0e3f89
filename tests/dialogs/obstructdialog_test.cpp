// The obstruction editor: readouts, drawing and finishing outlines, removing them, OK and Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "dialogs/obstructdialog.h"
#include "dialogs/sitedialog_fixture.h"
#include "sites/terrainhorizon.h"
#include "ui/commands.h"
#include "ui/help.h"

using sitedialog_fixture::Control;
using sitedialog_fixture::Drain;

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

class ObstructDialogTest : public ::testing::Test {
protected:
    AList<Obstruction> list;
    std::unique_ptr<ObstructDialog> dialog;
    int cx = 0, cy = 0;

    // The editor on `list` with a diagram of radius 100.
    void Open() {
        dialog = std::make_unique<ObstructDialog>(nullptr, list, QStringLiteral("Site"),
                                                  std::vector<SkyTrack>{}, 100);
        dialog->show();
        Drain();
        cx = dialog->Diagram().cx;
        cy = dialog->Diagram().cy;
    }
    QPoint At(int dx, int dy) const { return QPoint(cx + dx, cy + dy); }
    void Click(QPoint p) {
        Mouse(dialog.get(), QEvent::MouseButtonPress, p, Qt::LeftButton);
        Mouse(dialog.get(), QEvent::MouseButtonRelease, p);
    }
    // Pointer readouts after a move to `p`.
    std::pair<QString, QString> ReadoutsAt(QPoint p) {
        Mouse(dialog.get(), QEvent::MouseMove, p);
        return {Control<QLabel>(dialog.get(), 201)->text(), Control<QLabel>(dialog.get(), 202)->text()};
    }
    bool Enabled(int id) { return Control<QPushButton>(dialog.get(), id)->isEnabled(); }
    void Press(int id) { Control<QPushButton>(dialog.get(), id)->click(); }
    // Draws and finishes an outline through `points` (offsets from the centre).
    void Draw(std::initializer_list<QPoint> points) {
        for (QPoint p : points)
            Click(At(p.x(), p.y()));
        Press(104);
    }
};

} // namespace

TEST_F(ObstructDialogTest, ReadoutsShowElevationAndAzimuthUnderThePointer) {
    Open();
    EXPECT_EQ(dialog->windowTitle(), "Obstruction Editor");
    EXPECT_EQ(dialog->Diagram().radius, 100);
    EXPECT_EQ(Control<QLabel>(dialog.get(), 201)->text(), "   ");
    using P = std::pair<QString, QString>;
    EXPECT_EQ(ReadoutsAt(At(0, 0)), P("90", "0"));
    EXPECT_EQ(ReadoutsAt(At(0, -50)), P("45", "0"));
    EXPECT_EQ(ReadoutsAt(At(-50, 0)), P("45", "270"));
    // A quarter and a half turn come out just short of 90 and 180 with the program's pi.
    EXPECT_EQ(ReadoutsAt(At(50, 0)), P("45", "89"));
    EXPECT_EQ(ReadoutsAt(At(0, 50)), P("45", "179"));
    EXPECT_EQ(ReadoutsAt(At(0, -100)), P("0", "0"));
    EXPECT_EQ(ReadoutsAt(At(101, 0)), P("   ", "   "));
    EXPECT_EQ(HelpContextFor(Control<QPushButton>(dialog.get(), 104)), kObstructDialogHelpContext);
}

TEST_F(ObstructDialogTest, AnOutlineWithBothEndsOnTheHorizonIsClosedAlongIt) {
    Open();
    EXPECT_FALSE(Enabled(104));
    EXPECT_FALSE(Enabled(101));
    EXPECT_FALSE(Enabled(102));
    EXPECT_FALSE(Enabled(103));
    // From azimuth 100.4 to 90 on the horizon ring.
    Click(At(98, 18));
    EXPECT_EQ(dialog->Polyline().size(), 1u);
    EXPECT_FALSE(Enabled(104)); // one point is no line yet
    EXPECT_TRUE(Enabled(101));
    EXPECT_TRUE(Enabled(103));
    Click(At(98, 18)); // the same pixel again: no vertex
    EXPECT_EQ(dialog->Polyline().size(), 1u);
    EXPECT_FALSE(Enabled(104));
    Click(At(100, 0));
    EXPECT_EQ(dialog->Polyline().size(), 2u);
    EXPECT_TRUE(Enabled(104));
    Press(104);
    ASSERT_EQ(list.Count(), 1);
    const std::vector<point<double>> v = list.GetAt(0)->Vertices();
    ASSERT_EQ(v.size(), 8u); // two drawn, five on the horizon, the first again
    EXPECT_NEAR(v[0].y, 100.41, 0.01);
    EXPECT_NEAR(v[1].y, 90, 0.01);
    // From the last vertex back towards the first: 91.67 ... 98.33 for an exact 90 and 100.
    const double horizon[] = {91.67, 93.33, 95, 96.67, 98.33};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(v[2 + k].x, 0);
        EXPECT_NEAR(v[2 + k].y, horizon[k], 0.5) << k;
    }
    EXPECT_EQ(v[7], v[0]);
    EXPECT_TRUE(dialog->Polyline().empty());
    EXPECT_FALSE(Enabled(104));
    EXPECT_FALSE(Enabled(101));
    EXPECT_TRUE(Enabled(102));
    EXPECT_TRUE(Enabled(103));
}

TEST_F(ObstructDialogTest, AnOutlineHighInTheSkyIsClosedWithOneEdge) {
    Open();
    Draw({{-20, -20}, {20, -20}, {0, 10}});
    ASSERT_EQ(list.Count(), 1);
    const std::vector<point<double>> v = list.GetAt(0)->Vertices();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[3], v[0]);
    EXPECT_NEAR(v[0].x, (1 - std::sqrt(800.0) / 100) * 90, 1e-9);
    EXPECT_NEAR(v[0].y, 315, 0.01);
}

TEST_F(ObstructDialogTest, DraggingAddsAVertexOnReleaseAndAReleaseOutsideCancelsTheSegment) {
    Open();
    Click(At(0, -50));
    Mouse(dialog.get(), QEvent::MouseButtonPress, At(0, -50), Qt::LeftButton);
    Mouse(dialog.get(), QEvent::MouseMove, At(30, -40), Qt::LeftButton);
    Mouse(dialog.get(), QEvent::MouseButtonRelease, At(30, -40));
    ASSERT_EQ(dialog->Polyline().size(), 2u);
    EXPECT_EQ(dialog->Polyline()[1], At(30, -40));
    // Dragged off the diagram: nothing is added.
    Mouse(dialog.get(), QEvent::MouseButtonPress, At(30, -40), Qt::LeftButton);
    Mouse(dialog.get(), QEvent::MouseMove, At(150, 0), Qt::LeftButton);
    Mouse(dialog.get(), QEvent::MouseButtonRelease, At(150, 0));
    EXPECT_EQ(dialog->Polyline().size(), 2u);
}

TEST_F(ObstructDialogTest, RemoveLastLineTakesBackVerticesAndOnTwoPointsClearsTheOutline) {
    Open();
    Click(At(0, -50));
    Click(At(40, -50));
    Click(At(40, 0));
    Press(101);
    EXPECT_EQ(dialog->Polyline().size(), 2u);
    EXPECT_TRUE(Enabled(104));
    Press(101);
    EXPECT_TRUE(dialog->Polyline().empty());
    EXPECT_FALSE(Enabled(104));
    EXPECT_FALSE(Enabled(101));
    EXPECT_FALSE(Enabled(102)); // and nothing else is there to remove
    EXPECT_FALSE(Enabled(103));
    Press(101); // on an empty outline: nothing
    EXPECT_TRUE(dialog->Polyline().empty());
}

TEST_F(ObstructDialogTest, RemoveObstructionDeletesOnlyTheTopmostOneUnderTheClick) {
    Open();
    Draw({{-40, -40}, {20, -40}, {20, 20}, {-40, 20}});
    Draw({{-20, -20}, {40, -20}, {40, 40}, {-20, 40}});
    ASSERT_EQ(list.Count(), 2);
    const std::vector<point<double>> first = list.GetAt(0)->Vertices();
    // A click outside every obstruction removes nothing and ends remove mode.
    Press(102);
    EXPECT_TRUE(dialog->RemoveMode());
    Click(At(-80, 60));
    EXPECT_FALSE(dialog->RemoveMode());
    EXPECT_EQ(list.Count(), 2);
    // Inside both: the later one goes.
    Press(102);
    Click(At(0, 0));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetAt(0)->Vertices(), first);
    EXPECT_TRUE(Enabled(102));
    // Pressing the button twice leaves remove mode without removing.
    Press(102);
    Press(102);
    EXPECT_FALSE(dialog->RemoveMode());
    Click(At(0, 0)); // a plain click now starts an outline
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(dialog->Polyline().size(), 1u);
    Press(103);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(dialog->Polyline().empty());
    for (int id : {101, 102, 103, 104})
        EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(ObstructDialogTest, OkAndCancelEndWithOneAndTwo) {
    list.Add(sitedialog_fixture::Outline());
    Open();
    EXPECT_TRUE(Enabled(102));
    EXPECT_TRUE(Enabled(103));
    EXPECT_FALSE(Control<QCheckBox>(dialog.get(), 656)->isEnabled()); // no tracks given
    Press(1);
    EXPECT_EQ(dialog->result(), 1);
    Open();
    Press(2);
    EXPECT_EQ(dialog->result(), 2);
}

TEST_F(ObstructDialogTest, SatelliteTracksAreDrawnBehindTheOutlinesWhileTheBoxIsChecked) {
    std::vector<SkyTrack> tracks{{point<double>(10, 0), point<double>(80, 0)}};
    dialog = std::make_unique<ObstructDialog>(nullptr, list, QString(), tracks, 100);
    dialog->show();
    Drain();
    const ObstructDiagram& d = dialog->Diagram();
    auto trackPixel = [&] {
        const QImage image = dialog->grab().toImage();
        // On the track from 10 to 80 degrees straight north, between two grid circles.
        const QColor c = image.pixelColor(d.cx, d.cy - 50 + 3);
        return c.blue() > c.red() + 30;
    };
    QCheckBox* box = Control<QCheckBox>(dialog.get(), 656);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(trackPixel());
    box->setChecked(false);
    EXPECT_FALSE(trackPixel());
}

// With an elevation model the terrain's ground is filled behind the outlines, and Terrain to
// Outlines adds it to the list as outlines; without one the button is not offered.
TEST_F(ObstructDialogTest, TheTerrainIsDrawnBehindAndTurnsIntoOutlines) {
    Open();
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 105)->isVisible());
    auto terrain = std::make_shared<TerrainHorizon>();
    for (int a = 0; a < 360; ++a) // 30 degrees high from north-east to south-east, low elsewhere
        terrain->elevation.push_back(a >= 45 && a <= 135 ? 30.0f : 2.0f);
    dialog =
        std::make_unique<ObstructDialog>(nullptr, list, QString(), std::vector<SkyTrack>{}, 100, terrain);
    dialog->show();
    Drain();
    const ObstructDiagram& d = dialog->Diagram();
    // 20 degrees up at azimuth 80 lies below the skyline there, at 280 above it (off the grid's radials).
    const QImage image = dialog->grab().toImage();
    const QColor ground = image.pixelColor(d.cx + 76, d.cy - 13),
                 sky = image.pixelColor(d.cx - 76, d.cy - 13);
    EXPECT_NE(ground, sky);
    EXPECT_GT(ground.red(), ground.blue() + 30); // the ground's sand colour
    ASSERT_TRUE(Control<QPushButton>(dialog.get(), 105)->isVisible());
    Press(105);
    ASSERT_EQ(list.Count(), 1); // one ring: the skyline stands above 0 all round
    EXPECT_TRUE(list.GetAt(0)->Contains({20, 90}));
    EXPECT_FALSE(list.GetAt(0)->Contains({20, 270}));
    EXPECT_TRUE(Enabled(103));
}
