#include "app/decmdiframe.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/appsettings.h"
#include "app/commandtable.h"
#include "app/mdiclient.h"
#include "base/strings.h"
#include "ui/help.h"
#include "ui/prompts.h"
#include "ui/screenfit.h"

namespace {

// Gadget widths in characters (gadget 0 takes the rest).
constexpr int kGadgetChars[5] = {0, 4, 11, 3, 5};

QIcon CommandIcon(const CommandInfo& c) {
    QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(c.iconFile)));
    return c.themeIcon ? QIcon::fromTheme(QLatin1String(c.themeIcon), own) : own;
}

} // namespace

TDecMDIFrame::TDecMDIFrame(const QString& title, OrvantMDIClient* client) : client_(client) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(title);
    setCentralWidget(client_);
    client_->SetFrame(this);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(24, 24));
    QFont barFont = toolBar_->font();
    barFont.setPointSize(10);
    toolBar_->setFont(barFont);
    addToolBar(Qt::TopToolBarArea, toolBar_);

    BuildMenus();
    BuildStatusBar();
    SetToolBarLayout(false);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(InitialGeometry(screen->size()));
    // Where the user left it last time, when the desktop still has room for it there.
    const QByteArray remembered = RememberedFrameGeometry();
    if (!remembered.isEmpty()) {
        restoreGeometry(remembered);
        // A place on a larger screen than this one comes back whole on this one.
        KeepOnScreen(this);
    }
    setAcceptDrops(true);
    UpdateCommandStates();
}

TDecMDIFrame::~TDecMDIFrame() {
    // The client outlives this part of the frame while the base class deletes it.
    client_->SetFrame(nullptr);
}

QRect TDecMDIFrame::InitialGeometry(const QSize& screen) {
    const int w = 36 * (screen.width() / 40);
    const int h = 34 * (screen.height() / 40);
    return QRect((screen.width() - w) / 2, (screen.height() - h) / 2, w, h);
}

void TDecMDIFrame::BuildMenus() {
    const MenuGroup groups[] = {MenuGroup::SiteList, MenuGroup::View, MenuGroup::Window, MenuGroup::Setup,
                                MenuGroup::Help};
    for (MenuGroup g : groups) {
        QMenu* menu = menuBar()->addMenu(Res(MenuTitleId(g)));
        menu->setObjectName(QStringLiteral("menu%1").arg(static_cast<int>(g)));
        // States follow the current state each time a menu opens.
        connect(menu, &QMenu::aboutToShow, this, &TDecMDIFrame::UpdateCommandStates);
        // A disabled submenu never opens to fill itself: its parent fills it.
        if (g == MenuGroup::SiteList)
            connect(menu, &QMenu::aboutToShow, this, &TDecMDIFrame::FillRecentMenu);
        menus_.push_back(menu);
        for (const CommandInfo& c : CommandTable()) {
            if (c.menu != g)
                continue;
            if (c.separatorBefore && !menu->isEmpty())
                menu->addSeparator();
            QAction* a = menu->addAction(Res(c.textId));
            a->setObjectName(QStringLiteral("cm%1").arg(c.id));
            a->setData(c.id);
            a->setStatusTip(Res(c.id));
            a->setToolTip(QString(Res(c.textId)).remove('&').remove(QLatin1String("...")));
            if (c.iconFile || c.themeIcon)
                a->setIcon(c.iconFile ? CommandIcon(c) : QIcon::fromTheme(QLatin1String(c.themeIcon)));
            if (c.key != QKeySequence::UnknownKey)
                a->setShortcuts(c.key);
            if (c.id == CM_TIME_BAR)
                a->setCheckable(true);
            SetHelpContext(a, c.helpId);
            const int id = c.id;
            connect(a, &QAction::triggered, this, [this, id] {
                client_->Command(id);
                UpdateCommandStates();
            });
            actions_[c.id] = a;
            if (c.id == CM_SITELIST_OPEN) {
                recent_ = menu->addMenu(Res(IDS_MENU_RECENT));
                recent_->setObjectName(QStringLiteral("recentMenu"));
                connect(recent_, &QMenu::aboutToShow, this, &TDecMDIFrame::FillRecentMenu);
            }
        }
    }
    FillRecentMenu();
}

void TDecMDIFrame::FillRecentMenu() {
    recent_->clear();
    const QStringList lists = RecentLists();
    int n = 0;
    for (const QString& path : lists) {
        const QString text = QString::fromStdString(FormatText(
            LoadResString(IDS_MENU_RECENT_ENTRY), ++n, QFileInfo(path).fileName().toUtf8().constData()));
        QAction* a = recent_->addAction(text);
        a->setData(path);
        a->setStatusTip(path);
        a->setToolTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            client_->OpenChosenList(path);
            UpdateCommandStates();
        });
    }
    recent_->addSeparator();
    QAction* clear = recent_->addAction(Res(IDS_MENU_RECENT_CLEAR));
    clear->setEnabled(!lists.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        ClearRecentLists();
        FillRecentMenu();
    });
    recent_->setEnabled(!lists.isEmpty());
}

namespace {

// The one local file a drag carries, or empty.
QString DraggedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile())
        return {};
    return mime->urls().first().toLocalFile();
}

} // namespace

void TDecMDIFrame::dragEnterEvent(QDragEnterEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (!path.isEmpty() && QFileInfo(path).suffix().compare(QLatin1String("spl"), Qt::CaseInsensitive) == 0)
        event->acceptProposedAction();
}

void TDecMDIFrame::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has finished: the questions and the views may take their time.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            client_->OpenChosenList(path);
            UpdateCommandStates();
        },
        Qt::QueuedConnection);
}

void TDecMDIFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    QFont font = bar->font();
    font.setPointSize(10);
    bar->setFont(font);
    bar->setSizeGripEnabled(true);
    const QFontMetrics fm(font);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        if (i == 0) {
            // A normal widget: the hints (temporary messages) cover it and give it back.
            bar->addWidget(label, 1);
            continue;
        }
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(i == 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        label->setMinimumWidth(fm.averageCharWidth() * kGadgetChars[i] +
                               fm.horizontalAdvance(QLatin1Char('M')));
        bar->addPermanentWidget(label);
        gadgets_[i] = label;
    }
    gadgets_[0] = bar->findChild<QLabel*>(QStringLiteral("pane0"));
    orbits_ = new QLabel(bar);
    orbits_->setObjectName(QStringLiteral("paneOrbits"));
    orbits_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->insertPermanentWidget(1, orbits_); // after the site line, before the other panes
    orbits_->hide();
    terrain_ = new QLabel(bar);
    terrain_->setObjectName(QStringLiteral("paneTerrain"));
    terrain_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->insertPermanentWidget(1, terrain_);
    terrain_->hide();
}

void TDecMDIFrame::SetTerrainText(const QString& text) {
    if (!terrain_)
        return;
    terrain_->setText(text);
    terrain_->setVisible(!text.isEmpty());
}

void TDecMDIFrame::SetOrbitsText(const QString& text) {
    orbits_->setText(text);
    orbits_->setVisible(!text.isEmpty());
}

QString TDecMDIFrame::OrbitsText() const {
    return orbits_->text();
}

QAction* TDecMDIFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* TDecMDIFrame::Menu(int index) const {
    return index >= 0 && index < static_cast<int>(menus_.size()) ? menus_[index] : nullptr;
}

void TDecMDIFrame::SetToolBarLayout(bool full) {
    full_ = full;
    toolBar_->clear();
    for (int id : full ? FullToolBar() : ShortToolBar()) {
        if (id < 0)
            toolBar_->addSeparator();
        else if (QAction* a = Action(id))
            toolBar_->addAction(a);
    }
    toolBar_->update();
}

void TDecMDIFrame::SetGadgetText(int gadget, const QString& text) {
    if (gadget >= 0 && gadget < 5 && gadgets_[gadget])
        gadgets_[gadget]->setText(text);
}

QString TDecMDIFrame::GadgetText(int gadget) const {
    return gadget >= 0 && gadget < 5 && gadgets_[gadget] ? gadgets_[gadget]->text() : QString();
}

void TDecMDIFrame::UpdateCommandStates() {
    for (auto& [id, action] : actions_) {
        action->setEnabled(client_->CommandEnabled(id));
        if (action->isCheckable())
            action->setChecked(client_->CommandChecked(id));
    }
    // Ctrl+P toggles PDOP in the DOP plot: while that view is active the menu does not offer the
    // same key for printing.
    if (QAction* print = Action(CM_PRINT_GRAPH)) {
        const QList<QKeySequence> keys = client_->ActiveViewCommand() == CM_VIEW_DOP
                                             ? QList<QKeySequence>()
                                             : QKeySequence::keyBindings(FindCommand(CM_PRINT_GRAPH)->key);
        if (print->shortcuts() != keys)
            print->setShortcuts(keys);
    }
}

void TDecMDIFrame::closeEvent(QCloseEvent* event) {
    if (!client_->CanClose()) {
        event->ignore();
        return;
    }
    RememberFrameGeometry(saveGeometry());
    client_->RememberWindows();
    event->accept();
}
