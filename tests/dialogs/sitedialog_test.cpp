// The site editor on its own: the form, the name rules, the list actions and the questions.
#include <QImage>

#include "dialogs/sitedialog_fixture.h"
#include "ui/help.h"
#include "ui/prompts.h"

using namespace sitedialog_fixture;

TEST_F(SiteDialogTest, OpensOnTheCurrentSiteWithEveryFieldFilled) {
    AddThree();
    Stored(2).obstructions.Add(Outline());
    Open(2);
    EXPECT_EQ(D()->windowTitle(), "Site Editor");
    EXPECT_EQ(Names(D()), QStringList({"alpha", "Bravo", "Charlie"})); // trimmed in the list
    EXPECT_EQ(SelectedRow(D()), 2);
    EXPECT_EQ(dialog->ShownIndex(), 2);
    EXPECT_EQ(Text(D(), 909), "  Charlie\t"); // the field shows the name as stored
    EXPECT_EQ(Text(D(), 107), "third");
    const std::pair<int, const char*> fields[] = {{103, "45"}, {112, "30"}, {113, "0"},       {102, "0"},
                                                  {123, "N"},  {105, "7"},  {115, "15"},      {116, "0"},
                                                  {106, "0"},  {124, "E"},  {104, "1200.00"}, {108, " 2.00"}};
    for (const auto& [id, text] : fields)
        EXPECT_EQ(Text(D(), id), text) << id;
    EXPECT_EQ(dialog->WorkingSite().obstructions.Count(), 1);
    EXPECT_EQ(dialog->ChangeFlags(), 0);
    EXPECT_FALSE(Control<QPushButton>(D(), 117)->isEnabled()); // nothing copied yet
    EXPECT_EQ(HelpContextFor(Control<QLineEdit>(D(), 105)), kSiteDialogHelpContext);
    // Text limits: one less than the fields of the record.
    EXPECT_EQ(Control<QLineEdit>(D(), 909)->maxLength(), 20);
    EXPECT_EQ(Control<QLineEdit>(D(), 105)->maxLength(), 3);
    EXPECT_EQ(Control<QLineEdit>(D(), 103)->maxLength(), 2);
    EXPECT_EQ(Control<QLineEdit>(D(), 104)->maxLength(), 8);
    EXPECT_EQ(Control<QLineEdit>(D(), 108)->maxLength(), 6);

    // Cancel and closing end with 2, Select with 1.
    Press(D(), 2);
    EXPECT_EQ(dialog->result(), 2);
}

TEST_F(SiteDialogTest, PositionIsShownInDegreesMinutesSecondsAndReadBackExactly) {
    AddSite(Site("West", -12.25, -75.5, -20.5, -5));
    Open();
    EXPECT_EQ(Text(D(), 105), "75");
    EXPECT_EQ(Text(D(), 115), "30");
    EXPECT_EQ(Text(D(), 116), "0");
    EXPECT_EQ(Text(D(), 106), "0");
    EXPECT_EQ(Text(D(), 124), "W");
    EXPECT_EQ(Text(D(), 103), "12");
    EXPECT_EQ(Text(D(), 112), "15");
    EXPECT_EQ(Text(D(), 123), "S");
    EXPECT_EQ(Text(D(), 104), "-20.50");

    // Unchanged, the form reads back as the stored site: Select asks nothing.
    Press(D(), 1);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(Stored(0).longitude, -75.5);
    EXPECT_EQ(Stored(0).latitude, -12.25);
    EXPECT_EQ(Stored(0).altitude, -20.5); // a stored fraction survives until the field is edited

    // 45° 30' 15.01" N as typed, stored through Replace.
    list->modified = 0;
    Open();
    SetText(D(), 103, "45");
    SetText(D(), 112, "30");
    SetText(D(), 113, "15");
    SetText(D(), 102, "1");
    Control<QComboBox>(D(), 123)->setCurrentIndex(0);
    Control<QComboBox>(D(), 124)->setCurrentIndex(0);
    SetText(D(), 104, "12");
    Press(D(), 114);
    EXPECT_NEAR(Stored(0).latitude, 45 + 30 / 60.0 + 15.01 / 3600, 1e-12);
    EXPECT_EQ(Stored(0).longitude, 75.5);
    EXPECT_EQ(Stored(0).altitude, 12);
    EXPECT_EQ(list->modified, 1);
    EXPECT_EQ(dialog->ChangeFlags(), 0);
}

TEST_F(SiteDialogTest, NamesWithAccentsAreShownWholeAndAreNoChange) {
    AddSite(Site("Zürich Flughafen Süd", 47.45, 8.56, 0, 1, "über der Bahnüberführung")); // 20 characters
    Open();
    EXPECT_EQ(Text(D(), 909), QString::fromUtf8("Zürich Flughafen Süd"));
    EXPECT_EQ(Names(D()), QStringList({QString::fromUtf8("Zürich Flughafen Süd")}));
    Press(D(), 1);
    EXPECT_TRUE(prompts.boxes.empty()); // nothing to ask: nothing was changed
    EXPECT_STREQ(Stored(0).name, "Zürich Flughafen Süd");
    EXPECT_STREQ(list->currentName, "Zürich Flughafen Süd");
}

TEST_F(SiteDialogTest, NinetyDegreesOfLatitudeOrOneEightyOfLongitudeZeroTheSmallerUnits) {
    AddSite(Site("Pole", 45.5, 10.5));
    Open();
    // 89: nothing happens.
    Leave(D(), 103, "89");
    EXPECT_EQ(Text(D(), 112), "30");
    EXPECT_EQ(prompts.beeps, 0);
    // 90: minutes (and any non-zero seconds and hundredths) become 0 with one beep.
    SetText(D(), 113, "5");
    Leave(D(), 103, "90");
    EXPECT_EQ(Text(D(), 112), "0");
    EXPECT_EQ(Text(D(), 113), "0");
    EXPECT_EQ(Text(D(), 102), "0");
    EXPECT_EQ(prompts.beeps, 1);
    // Leaving again: nothing left to zero, no beep.
    Leave(D(), 103, "90");
    EXPECT_EQ(prompts.beeps, 1);
    // The same for 180 of longitude; the latitude is not touched by it.
    SetText(D(), 116, "59");
    Leave(D(), 105, "180");
    EXPECT_EQ(Text(D(), 115), "0");
    EXPECT_EQ(Text(D(), 116), "0");
    EXPECT_EQ(prompts.beeps, 2);
    // Out of range corrects itself with its own beep: 200 degrees of longitude become 180.
    Leave(D(), 105, "200");
    EXPECT_EQ(Text(D(), 105), "180");
    EXPECT_EQ(prompts.beeps, 3);
}

TEST_F(SiteDialogTest, NumbersStillBeingTypedAreCheckedBeforeTheyAreStored) {
    AddSite(Site("Typed", 45.5, 10.5));
    Open();
    // Typed without leaving the fields, then Replace: the site never holds 95° or 30 minutes past 90.
    SetText(D(), 103, "95");
    SetText(D(), 104, "20000");
    Press(D(), 114);
    EXPECT_EQ(Stored(0).latitude, 90);
    EXPECT_EQ(Stored(0).altitude, 10000);
    EXPECT_GE(prompts.beeps, 1);
}

TEST_F(SiteDialogTest, GmtOffsetTakesQuarterHoursFromMinusTwelveToPlusFourteen) {
    AddSite(Site("Zone", 0, 0));
    Open();
    struct Case {
        const char *typed, *kept;
        bool beep;
    };
    const Case cases[] = {{"5.75", "5.75", false},   {"14", "14", false},       {"-12", "-12", false},
                          {"12.75", "12.75", false}, {"-3.25", "-3.25", false}, {"3.7", "3.5", true},
                          {"14.5", "14", true},      {"-13", "-12", true},      {"", "0", true}};
    for (const Case& c : cases) {
        const int before = prompts.beeps;
        Leave(D(), 108, c.typed);
        EXPECT_EQ(Text(D(), 108), c.kept) << c.typed;
        EXPECT_EQ(prompts.beeps - before, c.beep ? 1 : 0) << c.typed;
    }
    // Nepal's offset goes into the site as it is.
    Leave(D(), 108, "5.75");
    Press(D(), 114);
    EXPECT_EQ(Stored(0).gmtOffset, 5.75f);
    Open();
    EXPECT_EQ(Text(D(), 108), " 5.75");
}

TEST_F(SiteDialogTest, AddRefusesBlankAndExistingNamesInAnyCase) {
    AddThree();
    Open(1);
    prompts.answers = {IDOK, IDOK};
    SetText(D(), 909, " Alpha ");
    Press(D(), 119);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "This Site already exists!\nChange  site name!");
    EXPECT_EQ(prompts.boxes[0].caption, "Error");
    EXPECT_EQ(prompts.boxes[0].style & MB_ICONS, MB_ICONASTERISK);
    EXPECT_TRUE(Control<QLineEdit>(D(), 909)->hasFocus());
    SetText(D(), 909, " \t ");
    Press(D(), 119);
    EXPECT_EQ(prompts.LastText(), "Bad Site name!");
    EXPECT_EQ(list->sites.Count(), 3);
    EXPECT_EQ(list->modified, 0);

    // A new name: appended with the form's values and the shown site's obstructions, selected.
    Stored(1).obstructions.Add(Outline());
    Open(1);
    SetText(D(), 909, " Delta ");
    SetText(D(), 103, "1");
    Press(D(), 119);
    ASSERT_EQ(list->sites.Count(), 4);
    EXPECT_STREQ(Stored(3).name, " Delta "); // stored as typed, listed trimmed
    EXPECT_EQ(Names(D()).last(), "Delta");
    EXPECT_EQ(Stored(3).latitude, -(1 + 30 / 60.0));
    EXPECT_EQ(Stored(3).obstructions.Count(), 1);
    EXPECT_STREQ(Stored(1).name, "Bravo"); // the site it came from is unchanged
    EXPECT_EQ(Stored(1).latitude, -33.5);
    EXPECT_EQ(SelectedRow(D()), 3);
    EXPECT_EQ(dialog->ShownIndex(), 3);
    EXPECT_EQ(list->modified, 1);
}

TEST_F(SiteDialogTest, ReplaceKeepsItsOwnNameButNotAnotherSitesName) {
    AddThree();
    Open(1);
    SetText(D(), 107, "new words");
    Press(D(), 114);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_STREQ(Stored(1).description, "new words");
    EXPECT_EQ(list->modified, 1);

    // Another letter case of its own name is a rename, allowed while no other site has it.
    SetText(D(), 909, "BRAVO");
    Press(D(), 114);
    EXPECT_STREQ(Stored(1).name, "BRAVO");
    EXPECT_EQ(Names(D())[1], "BRAVO");

    // Renaming onto another site, in any case, is refused and stores nothing.
    prompts.answers = {IDOK, IDOK};
    SetText(D(), 909, "ALPHA");
    SetText(D(), 107, "lost");
    Press(D(), 114);
    EXPECT_EQ(prompts.LastText(), "This Site already exists!\nChange  site name!");
    EXPECT_STREQ(Stored(1).name, "BRAVO");
    EXPECT_STREQ(Stored(1).description, "new words");
    SetText(D(), 909, "   ");
    Press(D(), 114);
    EXPECT_EQ(prompts.LastText(), "Bad Site name!");
    EXPECT_EQ(Names(D()), QStringList({"alpha", "BRAVO", "Charlie"}));
}

// In code page 1252, the default, "ł" is written as UTF-8: a name field holds 17 bytes of it.
TEST_F(SiteDialogTest, TextsTheListCannotHoldAreRefusedNotCutAndNamesCompareAsHeld) {
    AddSite(Site("łódź łódź X", 51.75, 19.45)); // 17 bytes: just fits
    struct Case {
        QString name, description;
        int button;          // Replace, or Select (which asks first)
        const char* message; // a part of the refusal; nullptr: stored
        int focused;
    };
    const Case cases[] = {
        {QString::fromUtf8("łódź łódź ódź łódź"), "", 114, "29 bytes, where it has room for 17", 909},
        {"Lodz", QString(35, QChar(0x142)), 114, "70 bytes, where it has room for 57", 107},
        // Cut to what the field holds, this would equal the stored name: still a change, refused.
        {QString::fromUtf8("łódź łódź Xó"), "", 1, "19 bytes", 909},
        {QString::fromUtf8("Zürich Flughafen Süd"), QString(60, QChar('d')), 114, nullptr, 0},
    };
    for (const Case& c : cases) {
        Open(0);
        prompts.answers.clear();
        if (c.button == 1)
            prompts.answers.push_back(IDYES);
        if (c.message)
            prompts.answers.push_back(IDOK);
        SetText(D(), 909, c.name);
        SetText(D(), 107, c.description);
        Press(D(), c.button);
        if (!c.message) {
            EXPECT_EQ(QString::fromUtf8(Stored(0).name), c.name);
            EXPECT_EQ(QString::fromUtf8(Stored(0).description), c.description);
            continue;
        }
        EXPECT_TRUE(prompts.LastText().contains(c.message)) << prompts.LastText().toStdString();
        EXPECT_TRUE(prompts.LastText().contains("Central European (1250)")); // which would hold it
        EXPECT_TRUE(D()->findChild<QWidget*>(ControlName(c.focused))->hasFocus()) << c.name.toStdString();
        EXPECT_STREQ(Stored(0).name, "łódź łódź X");
        EXPECT_EQ(list->modified, 0);
    }

    // Made while lists were written in 1250; in 1252 it would keep "łódź łódź A" like the typed one.
    SetFileCodePage(1250);
    AddSite(Site("łódź łódź ABC", 1, 2));
    SetFileCodePage(1252);
    Open(0);
    prompts.answers = {IDOK};
    SetText(D(), 909, QString::fromUtf8("łódź łódź A"));
    Press(D(), 119);
    EXPECT_EQ(prompts.LastText(), "This Site already exists!\nChange  site name!");
    EXPECT_EQ(list->sites.Count(), 2);
}

TEST_F(SiteDialogTest, ChangingTheSelectionAsksAboutUnsavedChanges) {
    AddThree();
    Open(0);
    // Nothing changed: no question.
    ClickEntry(D(), 1);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(Text(D(), 909), "Bravo");

    // Only the description changed: asked; No discards it and shows the other site.
    SetText(D(), 107, "changed");
    prompts.answers = {IDNO};
    ClickEntry(D(), 0);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, "Site Bravo was changed!\nDo you want to update site\n  Bravo?");
    EXPECT_EQ(prompts.boxes[0].caption, "Question");
    EXPECT_EQ(prompts.boxes[0].style & MB_BUTTONS, MB_YESNOCANCEL);
    EXPECT_STREQ(Stored(1).description, ""); // as it was
    EXPECT_EQ(Text(D(), 909), "alpha");
    EXPECT_EQ(SelectedRow(D()), 0);
    EXPECT_EQ(list->modified, 0);

    // Cancel: the selection goes back, the change stays in the form.
    SetText(D(), 108, "3");
    prompts.answers = {IDCANCEL};
    ClickEntry(D(), 2);
    EXPECT_EQ(SelectedRow(D()), 0);
    EXPECT_EQ(Text(D(), 108), "3");
    EXPECT_EQ(dialog->ChangeFlags(), SiteInfo::kChangedGmtOffset);

    // Yes: stored, then the other site is shown with nothing pending.
    prompts.answers = {IDYES};
    ClickEntry(D(), 2);
    EXPECT_EQ(Stored(0).gmtOffset, 3.0f);
    EXPECT_EQ(list->modified, 1);
    EXPECT_EQ(Text(D(), 909), "  Charlie\t");
    EXPECT_EQ(dialog->ChangeFlags(), 0);

    // Yes with a name that another site has: refused, the selection stays.
    SetText(D(), 909, "bravo");
    prompts.answers = {IDYES, IDOK};
    ClickEntry(D(), 0);
    EXPECT_EQ(prompts.LastText(), "This Site already exists!\nChange  site name!");
    EXPECT_EQ(SelectedRow(D()), 2);
    EXPECT_STREQ(Stored(2).name, "  Charlie\t");
}

TEST_F(SiteDialogTest, DeletingTheOnlySiteAndSelectingAsksToInsertTheNewSite) {
    AddSite(Site("Only", 10, 10));
    Open();
    Press(D(), 109);
    EXPECT_EQ(list->sites.Count(), 0);
    EXPECT_TRUE(Names(D()).isEmpty());
    EXPECT_EQ(Text(D(), 909), "new site");
    EXPECT_EQ(Text(D(), 103), "0");
    EXPECT_EQ(dialog->ShownIndex(), -1);
    EXPECT_EQ(dialog->ChangeFlags(), 104);
    EXPECT_EQ(list->modified, 1);
    // Delete on the empty list does nothing.
    Press(D(), 109);
    EXPECT_TRUE(prompts.boxes.empty());

    // Cancel in the question keeps the editor open; Yes inserts the form as the current site.
    prompts.answers = {IDCANCEL};
    Press(D(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompts.LastText(), " Insert site new site in the site list ?");
    prompts.answers = {IDYES};
    Press(D(), 1);
    EXPECT_EQ(dialog->result(), 1);
    ASSERT_EQ(list->sites.Count(), 1);
    EXPECT_STREQ(Stored(0).name, "new site");
    EXPECT_EQ(list->currentIndex, 0);
    EXPECT_STREQ(list->currentName, "new site");

    // No leaves the list empty, and nothing current.
    Open();
    Press(D(), 109);
    prompts.answers = {IDNO};
    Press(D(), 1);
    EXPECT_EQ(dialog->result(), 1);
    EXPECT_EQ(list->sites.Count(), 0);
    EXPECT_STREQ(list->currentName, "");
}

TEST_F(SiteDialogTest, DeleteShowsTheNextSiteOrThePreviousAtTheEnd) {
    AddThree();
    Open(1);
    Press(D(), 109);
    EXPECT_EQ(Names(D()), QStringList({"alpha", "Charlie"}));
    EXPECT_EQ(dialog->ShownIndex(), 1);
    EXPECT_EQ(Text(D(), 107), "third");
    Press(D(), 109);
    EXPECT_EQ(dialog->ShownIndex(), 0);
    EXPECT_EQ(SelectedRow(D()), 0);
    EXPECT_EQ(Text(D(), 909), "alpha");
}

TEST_F(SiteDialogTest, CopyAndPasteCarryASiteAcrossOpeningsAndPasteAlwaysAsks) {
    AddThree();
    Stored(2).obstructions.Add(Outline());
    Open(2);
    SetText(D(), 107, "copied words");
    Press(D(), 118);
    EXPECT_TRUE(Control<QPushButton>(D(), 117)->isEnabled());
    ASSERT_NE(SiteDialog::Clipboard(), nullptr);
    EXPECT_STREQ(SiteDialog::Clipboard()->description, "copied words");
    EXPECT_EQ(SiteDialog::Clipboard()->obstructions.Count(), 1);
    Press(D(), 2);

    // Another opening: Paste fills the form; Select asks even if the fields look the same.
    Open(0);
    EXPECT_TRUE(Control<QPushButton>(D(), 117)->isEnabled());
    Press(D(), 117);
    EXPECT_EQ(Text(D(), 909), "  Charlie\t");
    EXPECT_EQ(dialog->ChangeFlags(), 104);
    EXPECT_STREQ(Stored(0).name, "alpha"); // not stored yet
    prompts.answers = {IDYES, IDOK};
    Press(D(), 1);
    // The pasted name belongs to another site: refused.
    EXPECT_EQ(prompts.LastText(), "This Site already exists!\nChange  site name!");
    SetText(D(), 909, "Echo");
    prompts.answers = {IDYES};
    Press(D(), 1);
    EXPECT_EQ(prompts.boxes[2].text, "Site alpha was changed!\nDo you want to update site\n  alpha?");
    EXPECT_STREQ(Stored(0).name, "Echo");
    EXPECT_EQ(Stored(0).latitude, 45.5);
    EXPECT_EQ(Stored(0).obstructions.Count(), 1);
    EXPECT_EQ(list->currentIndex, 0);
    EXPECT_STREQ(list->currentName, "Echo");

    // Paste of the same site again, then Select: still asked.
    Open(2);
    Press(D(), 117);
    prompts.answers = {IDNO};
    Press(D(), 1);
    EXPECT_EQ(prompts.boxes.size(), 4u);
    EXPECT_EQ(list->currentIndex, 2);
}

TEST_F(SiteDialogTest, SitesWithObstructionsAreMarkedAndTheShownMarkFollowsTheWorkingSite) {
    AddThree();
    Stored(0).obstructions.Add(Outline());
    Open(1);
    QListView* view = List(D());
    auto markedRows = [&view] {
        const QImage image = view->viewport()->grab().toImage();
        QList<int> rows;
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QRect r = view->visualRect(view->model()->index(row, 0));
            bool green = false;
            for (int y = r.top(); y <= r.bottom() && !green; ++y)
                for (int x = r.left(); x < r.left() + view->fontMetrics().maxWidth(); ++x)
                    if (const QColor c = image.pixelColor(x, y);
                        c.green() > 128 && c.green() > c.red() + 100 && c.green() > c.blue() + 60)
                        green = true; // the green "#", however its edges are smoothed
            if (green)
                rows << row;
        }
        return rows;
    };
    EXPECT_EQ(markedRows(), QList<int>({0}));

    // Pasting a site with obstructions into the shown entry marks it before anything is stored.
    Open(0);
    Press(D(), 118);
    Open(1);
    view = List(D());
    Press(D(), 117);
    EXPECT_EQ(markedRows(), QList<int>({0, 1}));
    EXPECT_EQ(Stored(1).obstructions.Count(), 0);
}

TEST_F(SiteDialogTest, TypingTheFirstLettersOfANameFindsIt) {
    AddThree();
    Open(0);
    QListView* view = List(D());
    view->setFocus();
    QTest::keyClicks(view, "ch");
    Drain();
    EXPECT_EQ(SelectedRow(D()), 2);
    EXPECT_EQ(Text(D(), 107), "third");
}

// A click beside the names (or Ctrl with a click on the highlighted one) leaves the shown site
// highlighted, and Delete takes a site with obstructions only after a Yes.
TEST_F(SiteDialogTest, TheShownSiteStaysHighlightedAndDeletingItsObstructionsAsks) {
    AddThree();
    Stored(1).obstructions.Add(Outline());
    Open(1);
    QListView* view = List(D());
    const QRect last = view->visualRect(view->model()->index(2, 0));
    ASSERT_LT(last.bottom() + 10, view->viewport()->height()); // room below the names
    const std::pair<QPoint, Qt::KeyboardModifiers> clicks[] = {
        {QPoint(last.center().x(), last.bottom() + 8), Qt::NoModifier},
        {view->visualRect(view->model()->index(1, 0)).center(), Qt::ControlModifier}};
    for (const auto& [at, modifiers] : clicks) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
        Drain();
        EXPECT_EQ(view->selectionModel()->selectedRows(), QModelIndexList{view->model()->index(1, 0)});
        EXPECT_EQ(dialog->ShownIndex(), 1);
    }
    for (int answer : {IDNO, IDYES}) {
        prompts.answers = {answer};
        Press(D(), 109);
        EXPECT_EQ(prompts.LastText(), "Delete the site Bravo together with its obstructions (1)?");
        EXPECT_EQ(Names(D()).size(), answer == IDNO ? 3 : 2);
    }
    // One without obstructions goes at once.
    Press(D(), 109);
    EXPECT_EQ(Names(D()), QStringList{"alpha"});
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(SiteDialogTest, TabFollowsTheReadingOrder) {
    AddThree();
    Open(0);
    Press(D(), 118); // Copy: Paste takes the focus too
    Control<QLineEdit>(D(), 909)->setFocus();
    // Name, description, latitude with N/S, longitude with E/W, altitude, offset, the form's tools,
    // the list and its buttons, the closing buttons.
    const std::vector<int> order = {909, 107, 103, 112, 113, 102, 123, 105, 115, 116, 106, 124, 104,
                                    108, 101, 111, 110, 119, 109, 114, 118, 117, 1,   2,   9,   909};
    std::vector<int> met = {909};
    for (size_t k = 1; k < order.size(); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        met.push_back(ControlId(QApplication::focusWidget()));
    }
    EXPECT_EQ(met, order);
}
