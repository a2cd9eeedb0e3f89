#include "ui/screenfit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

QRect AvailableArea(const QWidget* near) {
    QScreen* screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins FrameMargins(const QWidget* window) {
    const QWidget* top = window ? window->window() : nullptr;
    if (top && (top->windowFlags() & Qt::FramelessWindowHint))
        return {};
    if (top && top->isVisible() && top->windowHandle()) {
        const QMargins own = top->windowHandle()->frameMargins();
        if (!own.isNull())
            return own;
    }
    // Not shown yet, or a window system that does not say: the title bar a window manager draws,
    // about a line and a half of text. The thin borders may go off the screen unharmed.
    const QFontMetrics fm(top ? top->font() : QApplication::font());
    return {0, std::max(QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight), fm.height() * 3 / 2),
            0, 0};
}

QRect FitInto(QRect client, const QMargins& frame, const QRect& area) {
    if (!area.isValid())
        return client;
    const QRect room = area.marginsRemoved(frame);
    client.setSize(client.size().boundedTo(room.size()).expandedTo(QSize(1, 1)));
    if (client.right() > room.right())
        client.moveRight(room.right());
    if (client.bottom() > room.bottom())
        client.moveBottom(room.bottom());
    if (client.left() < room.left())
        client.moveLeft(room.left());
    if (client.top() < room.top())
        client.moveTop(room.top());
    return client;
}

QRect ScaledInto(const QRect& place, const QSize& from, const QRect& area) {
    QRect r = place;
    if (!from.isEmpty() && area.isValid() && from != area.size()) {
        const double sx = static_cast<double>(area.width()) / from.width();
        const double sy = static_cast<double>(area.height()) / from.height();
        const auto x = [sx](int v) { return static_cast<int>(std::lround(v * sx)); };
        const auto y = [sy](int v) { return static_cast<int>(std::lround(v * sy)); };
        r = QRect(area.left() + x(place.left() - area.left()), area.top() + y(place.top() - area.top()),
                  x(place.width()), y(place.height()));
    }
    return FitInto(r, QMargins(), area);
}

void KeepOnScreen(QWidget* window) {
    if (!window || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect fitted = FitInto(window->geometry(), FrameMargins(window), AvailableArea(window));
    if (fitted != window->geometry())
        window->setGeometry(fitted);
}

QSize SizeOnScreen(const QWidget* window, QSize wanted) {
    const QWidget* near = window && window->parentWidget() ? window->parentWidget() : window;
    const QRect area = AvailableArea(near);
    if (!area.isValid())
        return wanted;
    return wanted.boundedTo(area.marginsRemoved(FrameMargins(window)).size());
}
