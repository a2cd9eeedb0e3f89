// The obstruction editor and the map opened from the site editor and from the Obstructions
// command: what they hand back, and what Cancel leaves.
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>

#include "app/app_fixture.h"
#include "app/sitedialogs.h"
#include "dialogs/mapdialog.h"
#include "dialogs/obstructdialog.h"
#include "dialogs/sitedialog_fixture.h"

using namespace sitedialog_fixture;

namespace {

void LeftClick(QWidget* w, QPoint at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
}

// Draws a triangle high in the sky of the obstruction editor `d`.
void DrawTriangle(QWidget* d) {
    const ObstructDiagram& g = static_cast<ObstructDialog*>(d)->Diagram();
    const int r = g.radius / 4;
    for (QPoint p : {QPoint(-r, -r), QPoint(r, -r), QPoint(0, r)})
        LeftClick(d, QPoint(g.cx, g.cy) + p);
    Press(d, 104);
}

bool MarkShown(QWidget* dialog, int row) {
    QListView* view = List(dialog);
    const QImage image = view->viewport()->grab().toImage();
    const QRect r = view->visualRect(view->model()->index(row, 0));
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x < r.left() + view->fontMetrics().maxWidth(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.green() > 128 && c.green() > c.red() + 100)
                return true;
    return false;
}

} // namespace

TEST_F(SiteDialogTest, ObstructOpensTheEditorOnACopyAndOkMarksTheSiteAtOnce) {
    AddThree();
    Stored(1).obstructions.Add(Outline());
    Open(1);
    EXPECT_TRUE(MarkShown(D(), 1));
    // Cancel after drawing: nothing changes.
    app_fixture::WhenModal([](QWidget* d) {
        DrawTriangle(d);
        Press(d, 2);
    });
    Press(D(), 101);
    EXPECT_EQ(dialog->WorkingSite().obstructions.Count(), 1);
    EXPECT_EQ(dialog->ChangeFlags(), 0);
    // OK after removing all: the mark goes before anything is stored.
    app_fixture::WhenModal([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "Obstruction Editor");
        Press(d, 103);
        Press(d, 1);
    });
    Press(D(), 101);
    EXPECT_EQ(dialog->WorkingSite().obstructions.Count(), 0);
    EXPECT_EQ(dialog->ChangeFlags(), SiteInfo::kChangedObstructions);
    EXPECT_FALSE(MarkShown(D(), 1));
    EXPECT_EQ(Stored(1).obstructions.Count(), 1);
    // Replace stores it.
    Press(D(), 114);
    EXPECT_EQ(Stored(1).obstructions.Count(), 0);
    // A new outline, then Add: the new site carries it.
    app_fixture::WhenModal([](QWidget* d) {
        DrawTriangle(d);
        Press(d, 1);
    });
    Press(D(), 101);
    SetText(D(), 909, "Delta");
    Press(D(), 119);
    ASSERT_EQ(list->sites.Count(), 4);
    EXPECT_EQ(Stored(3).obstructions.Count(), 1);
    EXPECT_EQ(Stored(3).obstructions.GetAt(0)->Count(), 4);
    EXPECT_TRUE(MarkShown(D(), 3));
}

TEST_F(SiteDialogTest, MapFillsOnlyThePositionFieldsAndCancelLeavesThem) {
    AddThree();
    Open(2);
    double chosenLat = 0, chosenLon = 0;
    QString shownName;
    app_fixture::WhenModal([&](QWidget* d) {
        auto* map = static_cast<MapDialog*>(d);
        shownName = Control<QLabel>(d, 909)->text();
        EXPECT_NEAR(map->ChosenLatitude(), 45.5, 1e-9);
        EXPECT_NEAR(map->ChosenLongitude(), 7.25, 1e-9);
        const MapGeometry& g = map->Geometry();
        LeftClick(d, QPoint(g.cx - (g.right - g.left) / 4, g.cy + (g.bottom - g.top) / 4));
        chosenLat = map->ChosenLatitude();
        chosenLon = map->ChosenLongitude();
        Press(d, 1);
    });
    Press(D(), 111);
    EXPECT_EQ(shownName, "Charlie");
    SiteDialogBuf expected;
    FillPosition(chosenLat, chosenLon, expected);
    EXPECT_EQ(Text(D(), 103), expected.latDegrees);
    EXPECT_EQ(Text(D(), 112), expected.latMinutes);
    EXPECT_EQ(Text(D(), 123), "S");
    EXPECT_EQ(Text(D(), 105), expected.lonDegrees);
    EXPECT_EQ(Text(D(), 124), "W");
    EXPECT_EQ(Text(D(), 104), "1200.00"); // the altitude is not touched
    EXPECT_EQ(dialog->ChangeFlags(), SiteInfo::kChangedPosition);

    app_fixture::WhenModal([](QWidget* d) {
        LeftClick(
            d, QPoint(static_cast<MapDialog*>(d)->Geometry().cx, static_cast<MapDialog*>(d)->Geometry().cy));
        Press(d, 2);
    });
    Press(D(), 111);
    EXPECT_EQ(Text(D(), 103), expected.latDegrees);
    EXPECT_EQ(Text(D(), 105), expected.lonDegrees);
}

namespace {

class ObstructionsCommand : public app_fixture::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        app_fixture::WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        InstallSiteDialogs();
        fixture::WriteFile(Home("one.spl"),
                           fixture::NewFile(0, {fixture::NewSite("Alpha", "", 45, 10, 0, 1)}));
        app_fixture::WhenModal([](QWidget* d) { Press(d, 2); }); // the site editor after Open
        Client().OpenSiteList(Home("one.spl"));
        Drain();
        Run(CM_VIEW_DOP); // computed for the site
        Client().Session().ClearChanges();
    }
};

} // namespace

TEST_F(ObstructionsCommand, OpensOnTheCurrentSiteWithTheTracksOfThePlanAndOkStoresTheOutline) {
    ASSERT_TRUE(Enabled(CM_OBSTRUCTIONS));
    bool tracksOffered = false;
    app_fixture::WhenModal([&tracksOffered](QWidget* d) {
        tracksOffered = Control<QCheckBox>(d, 656)->isEnabled() && Control<QCheckBox>(d, 656)->isChecked();
        DrawTriangle(d);
        Press(d, 1);
    });
    Run(CM_OBSTRUCTIONS);
    EXPECT_TRUE(tracksOffered);
    EXPECT_EQ(Client().SiteList()->CurrentSite()->obstructions.Count(), 1);
    EXPECT_EQ(Client().SiteList()->modified, 1);
    // The posted recomputation ran for the obstruction flag.
    EXPECT_FALSE(Client().Changes().Any());

    // Cancel: the site keeps what it had.
    app_fixture::WhenModal([](QWidget* d) {
        Press(d, 103);
        Press(d, 2);
    });
    Run(CM_OBSTRUCTIONS);
    EXPECT_EQ(Client().SiteList()->CurrentSite()->obstructions.Count(), 1);
}

TEST_F(ObstructionsCommand, TracksRunAboveTheHorizonOfTheSiteAsItIsNow) {
    SiteInfo site = *Client().SiteList()->CurrentSite();
    const std::vector<SkyTrack> tracks = Client().SkyTracksFor(site);
    ASSERT_FALSE(tracks.empty());
    for (const SkyTrack& t : tracks) {
        ASSERT_GE(t.size(), 2u);
        for (const point<double>& p : t) {
            EXPECT_GT(p.x, 0);
            EXPECT_LE(p.x, 90);
            EXPECT_GE(p.y, 0);
            EXPECT_LT(p.y, 360);
        }
    }
    // Another position gives other tracks; the plan of the current site is not touched.
    const int32_t first = Client().Engine().intervalFirst();
    site.latitude = -45;
    const std::vector<SkyTrack> south = Client().SkyTracksFor(site);
    ASSERT_FALSE(south.empty());
    EXPECT_NE(south.front().front().y, tracks.front().front().y);
    EXPECT_EQ(Client().Engine().intervalFirst(), first);
    EXPECT_EQ(Client().Engine().site(), Client().SiteList()->CurrentSite());
}
