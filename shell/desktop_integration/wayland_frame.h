#pragma once

namespace finbowl {

// Under GNOME and weston, which leave a Wayland window's frame to the
// program, Qt draws the frame itself. On GNOME it draws an Adwaita one with
// the buttons GNOME's settings portal lists (by default the close button
// alone), and no buttons at all when no portal answers; its other frame
// always has them. Where Qt would draw the Adwaita frame and no portal gives
// its buttons, the program asks for the other frame. Call after the
// QApplication is made, before any window exists.
void ChooseWaylandFrame();

}  // namespace finbowl
