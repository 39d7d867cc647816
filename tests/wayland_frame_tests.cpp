#include <gtest/gtest.h>

#include "shell/wayland_frame.h"

namespace finbowl {
namespace {

TEST(QtDrawsTheGnomeFrame, OnlyOnWaylandUnderGnomeWithNoFrameNamed) {
  struct Row {
    const char* platform;
    const char* decoration;
    const char* desktops;
    bool gnome;
  };
  const std::vector<Row> rows = {
      {"wayland", "", "GNOME", true},
      {"wayland", "", "ubuntu:GNOME", true},
      {"wayland-egl", "", "GNOME", true},
      {"wayland", "", "gnome", true},
      // A frame the user named is theirs.
      {"wayland", "bradient", "GNOME", false},
      {"wayland", "", "KDE", false},
      {"wayland", "", "GNOME-Flashback", false},
      {"wayland", "", "", false},
      // Under X11 the window manager draws the frame.
      {"xcb", "", "GNOME", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(QtDrawsTheGnomeFrame(QString::fromLatin1(row.platform), row.decoration, row.desktops),
              row.gnome)
        << row.platform << " '" << row.decoration << "' " << row.desktops;
  }
}

}  // namespace
}  // namespace finbowl
