// Files as a desktop user meets them: where Save As and print to file start, what the filter
// reads, and a site list whose positions cannot be used.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

#include <limits>

#include "app_fixture.h"
#include "ui/commands.h"
#include "ui/prompts.h"
#include "views/ui/viewbase.h"

using namespace app_fixture;
using fixture::NewFile;
using fixture::NewSite;
using fixture::WriteFile;

namespace {

// Records the file proposed to each print dialog and cancels it.
class PrintProposals : public ScriptedPrompts {
public:
    std::vector<QString> proposed;
    bool Print(QWidget*, QPrinter&) override {
        proposed.push_back(ProposedPrintFile());
        return false;
    }
};

class DesktopFiles : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        WriteGpsAlmanac(BundledAlmanacs() + "alm00.051");
        Start();
        QDir(QString::fromStdString(Home())).mkdir("lists");
    }
    std::string TwoSites(double badLatitude = 10.5) const {
        return NewFile(1, {NewSite("Alpha", "first", badLatitude, 20.25, 100, 1.0f),
                           NewSite("Bravo", "second", -33.5, -70.75, 500, -4.0f)});
    }
};

} // namespace

TEST_F(DesktopFiles, SaveAsStartsAtTheListAndTheFilterNamesItsPatternsOnce) {
    const std::string path = Home("lists/two.spl");
    WriteFile(path, TwoSites());
    ASSERT_TRUE(Client().OpenSiteList(path));
    prompts.files.push_back(QString()); // cancelled
    Run(CM_SITELIST_SAVEAS);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].directory, QString::fromStdString(Home("lists")));
    EXPECT_EQ(prompts.fileRequests[0].initialName, "two.spl");
    // Open starts beside the list in use too.
    prompts.files.push_back(QString());
    Run(CM_SITELIST_OPEN);
    EXPECT_EQ(prompts.fileRequests[1].directory, QString::fromStdString(Home("lists")));

    EXPECT_EQ(QtFilters(prompts.fileRequests[0].filter), QStringList{"Site List Files (*.spl *.SPL)"});
    EXPECT_EQ(QtFilters("Text|*.txt|All|*.*|"), (QStringList{"Text (*.txt *.TXT)", "All (*.*)"}));
}

TEST_F(DesktopFiles, PrintToFileProposesTheListsFolderAndTheSiteAndView) {
    const std::string path = Home("lists/two.spl");
    WriteFile(path, TwoSites());
    ASSERT_TRUE(Client().OpenSiteList(path));
    PrintProposals printing;
    Run(CM_VIEW_DOP);
    Run(CM_PRINT_GRAPH);
    Run(CM_PRINT_TABLE);
    ASSERT_EQ(printing.proposed.size(), 2u);
    const QString folder = QString::fromStdString(Home("lists"));
    EXPECT_EQ(printing.proposed[0], folder + "/Bravo - DOP Plot.pdf");
    EXPECT_EQ(printing.proposed[1], folder + "/Bravo - Dilution of Precision Table.pdf");

    // The platform's print dialog shows it in its file name field.
    SetPrompts(nullptr);
    QString shown;
    WhenModal([&shown](QWidget* dialog) {
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
            shown = name->text();
        static_cast<QDialog*>(dialog)->reject();
    });
    QPrinter printer;
    EXPECT_FALSE(QtPrompts().Print(&Frame(), printer));
    SetPrompts(&printing);
    EXPECT_EQ(shown, folder + "/Bravo - Dilution of Precision Table.pdf");
}

TEST_F(DesktopFiles, UnusablePositionsAreNamedAndTheirSiteIsNotPlanned) {
    const std::string path = Home("lists/nan.spl");
    WriteFile(path, NewFile(0, {NewSite("Alpha", "first", std::numeric_limits<double>::quiet_NaN(), 20.25,
                                        100, 1.0f),
                                NewSite("Bravo", "second", -33.5, -70.75, 500, -4.0f),
                                NewSite("Charlie", "third", 95.0, 10.0, 0, 0.0f)}));
    prompts.answers = {IDOK};
    ASSERT_TRUE(Client().OpenSiteList(path));
    Drain();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].text.contains("Alpha"));
    EXPECT_TRUE(prompts.boxes[0].text.contains("Charlie"));
    EXPECT_FALSE(prompts.boxes[0].text.contains("Bravo"));
    EXPECT_EQ(prompts.boxes[0].caption, "Warning");
    ASSERT_NE(Client().SiteList(), nullptr); // the list is open all the same
    // The current site (the first) is marked instead of showing nonsense degrees.
    EXPECT_EQ(Frame().GadgetText(0), "Alpha  (position unusable)");
    // Its views are not drawn from nonsense: the user is told again.
    prompts.answers = {IDOK};
    Run(CM_VIEW_DOP);
    EXPECT_EQ(Client().OpenViewCount(), 0);
    EXPECT_EQ(prompts.boxes.size(), 2u);
    EXPECT_TRUE(UsablePosition(*Client().SiteList()->sites.GetAt(1)));
}
