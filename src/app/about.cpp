#include "app/about.h"

#include <QApplication>
#include <QBasicTimer>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimerEvent>

#include "base/strings.h"
#include "string_ids.h"
#include "ui/commands.h"
#include "ui/prompts.h"

namespace {

int g_splashTicks = 0;
int g_splashWanted = -1; // -1: from the environment

} // namespace

ProjectRCVersion ProjectRCVersion::FromBuild() {
    return {TAVRIN_VERSION, TAVRIN_COPYRIGHT};
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/icons/tavrin.svg"));
}

QPixmap SplashPixmap() {
    QSvgRenderer renderer(QStringLiteral(":/icons/splash.svg"));
    QPixmap pixmap(renderer.defaultSize());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    // The program's name, from the string table like every text.
    QFont font(QStringLiteral("DejaVu Sans"), 30, QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 100, pixmap.width(), 50), Qt::AlignCenter, Res(IDS_APP_TITLE));
    return pixmap;
}

AboutDialog::AboutDialog(QWidget* parent, const ProjectRCVersion& version) : QDialog(parent) {
    setObjectName(ControlName(211));
    setWindowTitle(Res(IDS_ABOUT_CAPTION));
    auto* grid = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    auto* title = new QLabel(Res(IDS_ABOUT_TITLE), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    title->setFont(bold);
    grid->addWidget(title, 0, 1);
    auto* versionText = new QLabel(Res(IDS_ABOUT_VERSION), this);
    versionText->setObjectName(ControlName(1301));
    auto* copyright = new QLabel(this);
    copyright->setObjectName(ControlName(1302));
    auto* extra = new QLabel(this);
    extra->setObjectName(ControlName(1303));
    extra->setAlignment(Qt::AlignRight);
    grid->addWidget(versionText, 1, 1);
    grid->addWidget(copyright, 2, 1);
    grid->addWidget(extra, 3, 1);
    auto* ok = new QPushButton(Res(IDS_BUTTON_OK), this);
    ok->setObjectName(ControlName(1));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 4, 0, 1, 2, Qt::AlignCenter);

    if (version.productVersion)
        versionText->setText(
            QStringLiteral("%1 %2").arg(versionText->text().left(127), version.productVersion));
    if (version.legalCopyright)
        copyright->setText(QString::fromUtf8(version.legalCopyright));
    extra->setText(QString());
}

// ---- splash ----------------------------------------------------------------------------------

int SplashTickCount() {
    return g_splashTicks;
}

bool SplashWanted() {
    if (g_splashWanted < 0)
        g_splashWanted = qEnvironmentVariable("TAVRIN_NO_SPLASH") == QLatin1String("1") ? 0 : 1;
    return g_splashWanted == 1;
}

void SetSplashWanted(bool wanted) {
    g_splashWanted = wanted ? 1 : 0;
}

LogoWindow::LogoWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(SplashPixmap()) {
    setObjectName(ControlName(8));
    setAttribute(Qt::WA_ShowWithoutActivating);
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = screen ? screen->size() : QSize(picture_.width(), picture_.height());
    position_ = QPoint((size.width() - picture_.width()) / 2, (size.height() - picture_.height()) / 2);
}

void LogoWindow::Execute() {
    setGeometry(QRect(position_, picture_.size()));
    show();
    timer_.start(750, this);
    QEventLoop loop;
    while (!closed_)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    timer_.stop();
    hide();
}

void LogoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void LogoWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId())
        return;
    // The first tick only counts; the next one closes the picture.
    if (g_splashTicks++ > 0)
        close();
}

void LogoWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    event->accept();
}
