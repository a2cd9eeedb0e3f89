// Windows kept on the screen they open on, title bar included: a place remembered from a larger
// screen is brought in and shrunk, a window that would open under the desktop's panels moves out.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// The part of the screen windows may take (panels left out) where `near` is, else the primary one.
QRect AvailableArea(const QWidget* near);
// The frame the window system draws around a window's client area: the window's own once it has
// been shown, else the title bar of a usual window (borders of a few pixels do not matter).
QMargins FrameMargins(const QWidget* window);
// `client` (a window's client rectangle) moved, and shrunk where it must, so that with `frame`
// around it it lies inside `area`.
QRect FitInto(QRect client, const QMargins& frame, const QRect& area);
// `place`, a rectangle of an area `from` big, scaled to `area` and fitted into it; unscaled but
// fitted when `from` is unknown (empty).
QRect ScaledInto(const QRect& place, const QSize& from, const QRect& area);
// A top-level window's geometry fitted into the available area of its screen; a maximised or full
// screen window is left to the window system.
void KeepOnScreen(QWidget* window);
// The size a dialog opens at: `wanted`, no larger than the available area less the frame.
QSize SizeOnScreen(const QWidget* window, QSize wanted);
