#include "app/orvantapp.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cmath>

#include "app/about.h"
#include "app/decmdiframe.h"
#include "app/mdiclient.h"
#include "base/strings.h"
#include "config/orbitsources.h"
#include "engine/calculator.h"
#include "ui/commands.h"
#include "ui/help.h"
#include "ui/prompts.h"
#include "ui/screenfit.h"

int ShowAlmanacAgeWarning(const PlanSession& session, unsigned style) {
    // Orbits a year or more from the date are named with their age, whatever their kind.
    const std::optional<SystemSource> farthest = FarthestPlannedSource(session);
    const int age = session.AlmanacAgeClass();
    const bool useless = farthest && std::fabs(farthest->ageDays) > kSourceUselessDays;
    if (age == 0 && !useless)
        return IDYES;
    std::string text =
        useless ? FormatText(ResString(IDS_SOURCE_ALMANAC_OLD).c_str(), SystemName(farthest->system),
                             static_cast<int>(std::fabs(farthest->ageDays)), SourceLine(*farthest).c_str()) +
                      "\n\n"
                : ResString(age > 0 ? IDS_ALMANAC_TOO_OLD : IDS_ALMANAC_IN_ADVANCE);
    if (style & 0x7) // Yes/No or any other choice of two or three buttons
        text += ResString(IDS_CONTINUE);
    return MessageBoxRes(nullptr, QString::fromStdString(text), IDS_INFORMATION, style);
}

OrvantApp::OrvantApp() {
    LoadDefaultLanguageModule();
    InstallHelpKey();
    // Number formats of the C library follow the environment, as the program always did.
    std::setlocale(LC_ALL, "");
    // ... except the decimal point, which the files and the edit fields rely on.
    std::setlocale(LC_NUMERIC, "C");
}

OrvantApp::~OrvantApp() {
    CloseHelpWindow();
    frame_.reset();
}

void OrvantApp::InitMainWindow() {
    client_ = new OrvantMDIClient;
    frame_ = std::make_unique<TDecMDIFrame>(QString::fromStdString(ResString(IDS_APP_TITLE)), client_);
    frame_->setWindowIcon(ProgramIcon());
    QApplication::setWindowIcon(ProgramIcon());
}

void OrvantApp::InitInstance(const QString& siteList) {
    client_->SetupWindow();
    frame_->show();
    // Again with the frame the window system gave it: a remembered place may have counted another.
    KeepOnScreen(frame_.get());
    if (!siteList.isEmpty())
        client_->OpenSiteList(siteList.toStdString());
    // Posted: it comes after what opening the list posted (the site editor), on top of it.
    if (client_->Engine().loadState() == kLoadOk)
        client_->Post(CM_ALMANAC_AGE_CHECK);
    else
        client_->Post(CM_SAT_CONFIG); // so that the user can choose or import an almanac
}

int OrvantApp::Run() {
    return QApplication::exec();
}
