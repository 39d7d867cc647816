#pragma once

#include <QPoint>
#include <QSize>
#include <functional>

class QWidget;

namespace finbowl {

// A top-level window's sizes in pixels, as the user sees them. The outer size
// takes in the frame the window manager draws; under X11 that frame is only
// known once the window has been mapped, and counts as nothing before.

// The size of the whole window, frame, caption bar and menu bar included.
QSize OuterSize(QWidget& window);
// The size of a widget inside the window, with the window's layout brought up
// to date first, so that it is right even before the window is shown.
QSize ClientSize(QWidget& window, QWidget& client);
// Resizes the window so that its outer size becomes `outer`.
void SetOuterSize(QWidget& window, QSize outer);
// The size of the whole screen the window is on, task bars included.
QSize ScreenSize(const QWidget& window);

// Where a window's outer top-left corner goes, worked out from its outer size.
using Placement = std::function<QPoint()>;

// Moves the window's outer top-left corner to `where()`, and once more when the
// window manager frames the window after it is shown: the frame's size is only
// learnt then, and it changes the outer size `where` works from. Call before
// showing the window.
void PlaceWindow(QWidget& window, const Placement& where);

// Lets a window of fixed size be maximised when the desktop offers it anyway.
// The frames Qt draws itself under Wayland (where GNOME and weston leave the
// frame to the program) show a maximise button whatever the window's hints
// say, and a maximised window must take the size the compositor gives it:
// weston ends a program that keeps its own. The window is let grow for as long
// as it is maximised, and restored it gets its fixed size back. Call once the
// window has been shown.
void LetFixedWindowMaximise(QWidget& window);

}  // namespace finbowl
