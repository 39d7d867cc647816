#pragma once

#include <QImage>
#include <QWidget>

struct xcb_connection_t;

namespace finbowl::testing {

// What the X server holds for a native window of this program, as 0xffRRGGBB,
// once it has taken every request the toolkit and the program sent before.
QImage ReadWindow(const QWidget& window, int w, int h);

// Covers a w x h rectangle of the screen with a window of another client,
// mapped while the object lives.
class Cover {
 public:
  Cover(int w, int h);
  ~Cover();
  Cover(const Cover&) = delete;
  Cover& operator=(const Cover&) = delete;

 private:
  xcb_connection_t* connection_;
  unsigned window_;
};

// Paints a native window of this program black, as when the server loses
// what the window showed.
void Blacken(const QWidget& window);

}  // namespace finbowl::testing
