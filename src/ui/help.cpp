#include "ui/help.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "base/strings.h"
#include "ui/prompts.h"
#include "ui/screenfit.h"

namespace {

QString PagePath(int contextId) {
    return QStringLiteral(":/help/%1.html").arg(contextId);
}

const char* const kContextProperty = "helpContext";

const QString kContentsPage = QStringLiteral(":/help/contents.html");

// One window for the whole run, like the system's help viewer: a new request replaces the page.
class THelpWindow : public QWidget {
public:
    THelpWindow() {
        setObjectName(QStringLiteral("helpWindow"));
        // Closing the main window ends the program even while help is open.
        setAttribute(Qt::WA_QuitOnClose, false);
        setWindowTitle(Res(IDS_HELP_WINDOW_TITLE));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* bar = new QToolBar(this);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName(QStringLiteral("helpBrowser"));
        browser_->setOpenExternalLinks(false);
        QAction* contents = bar->addAction(Res(IDS_HELP_CONTENTS));
        QAction* back = bar->addAction(Res(IDS_HELP_BACK));
        QAction* forward = bar->addAction(Res(IDS_HELP_FORWARD));
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(contents, &QAction::triggered, this, [this] { ShowPage(kContentsPage); });
        connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
        connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
        connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
        layout->addWidget(bar);
        layout->addWidget(browser_);
        resize(kSize);
    }

    void ShowPage(const QString& path) {
        // A modal dialog blocks every window but its own: the help it asks for must be one of them.
        QWidget* modal = QApplication::activeModalWidget();
        QWidget* asking = modal ? modal : QApplication::activeWindow();
        if (asking == this)
            asking = parentWidget();
        const bool shown = isVisible();
        if (modal && modal != this && parentWidget() != modal) {
            const QRect place = geometry();
            setParent(modal, Qt::Window);
            setGeometry(place);
        }
        // Where the user left an open window it stays; a new one goes beside what asked for it.
        if (!shown)
            Place(asking);
        browser_->setSource(QUrl(QStringLiteral("qrc") + path));
        show();
        raise();
        activateWindow();
        // Once more when the window system has shown it: asked before, some forget it.
        QMetaObject::invokeMethod(
            this,
            [this] {
                raise();
                activateWindow();
            },
            Qt::QueuedConnection);
    }

    int ShownContext() const {
        QString name = browser_->source().fileName();
        if (name == QLatin1String("contents.html"))
            return kHelpContentsContext;
        name.chop(5); // ".html"
        bool ok = false;
        int id = name.toInt(&ok);
        return ok ? id : 0;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Escape closes help as it closes a dialog.
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    static constexpr QSize kSize{640, 560};
    // Between help and the window beside it: room for borders the window system has not told yet.
    static constexpr int kGap = 8;

    // Beside `asking` on its screen where there is room (right, then left), else over its side with
    // more room; title bar and frame always on the screen.
    void Place(const QWidget* asking) {
        const QRect area = AvailableArea(asking ? asking : this);
        const QMargins frame = FrameMargins(this);
        QRect client(QPoint(0, 0), kSize.boundedTo(area.marginsRemoved(frame).size()));
        if (!asking || !asking->isVisible()) {
            client.moveCenter(area.center());
        } else {
            const QRect beside = asking->frameGeometry();
            const int right = beside.right() + kGap + frame.left();
            const int left = beside.left() - kGap - frame.right() - client.width();
            const int roomRight = area.right() - beside.right();
            const int roomLeft = beside.left() - area.left();
            const bool fitsRight = right + client.width() + frame.right() - 1 <= area.right();
            const bool fitsLeft = left - frame.left() >= area.left();
            client.moveLeft(fitsRight || (!fitsLeft && roomRight >= roomLeft) ? right : left);
            client.moveTop(beside.top() + frame.top());
        }
        setGeometry(FitInto(client, frame, area));
    }

    QTextBrowser* browser_;
};

QPointer<THelpWindow> g_window;

THelpWindow& Window() {
    if (!g_window) {
        // Not owned by any window of the program: it outlives the dialog that asked for it.
        g_window = new THelpWindow;
        static const bool connected =
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { CloseHelpWindow(); });
        (void)connected;
    }
    return *g_window;
}

} // namespace

QString HelpPageFor(int contextId) {
    if (contextId == kHelpContentsContext)
        return kContentsPage;
    if (contextId > 0 && QFile::exists(PagePath(contextId)))
        return PagePath(contextId);
    return PagePath(kHelpDefaultContext);
}

void ShowHelpContext(QWidget*, int contextId) {
    Window().ShowPage(HelpPageFor(contextId));
}

void ShowHelpContents(QWidget*) {
    Window().ShowPage(kContentsPage);
}

int ShownHelpContext() {
    return g_window ? g_window->ShownContext() : 0;
}

void CloseHelpWindow() {
    delete g_window.data();
}

void SetHelpContext(QObject* object, int contextId) {
    if (object)
        object->setProperty(kContextProperty, contextId > 0 ? QVariant(contextId) : QVariant());
}

int HelpContextFor(QObject* target) {
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        QAction* item = menu->activeAction();
        int id = item ? item->property(kContextProperty).toInt() : 0;
        return id > 0 ? id : kHelpDefaultContext;
    }
    for (QObject* o = target; o; o = o->parent()) {
        int id = o->property(kContextProperty).toInt();
        if (id > 0)
            return id;
        if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            break;
    }
    return kHelpDefaultContext;
}

namespace {

class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        // A key sent to a widget names its own context; one seen first by a window goes to the focus.
        QObject* target = watched->isWidgetType() ? watched : QApplication::focusWidget();
        ShowHelpContext(nullptr, HelpContextFor(target ? target : watched));
        return true;
    }
};

} // namespace

void InstallHelpKey() {
    static HelpKeyFilter* filter = nullptr;
    if (!filter) {
        filter = new HelpKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}
