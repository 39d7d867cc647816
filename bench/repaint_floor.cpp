// The floors under the aquarium's cost: a bare Qt window with the aquarium's
// menu bar and a 640 x 450 image, woken by a precise 100 ms timer, that
// repaints one 75 x 75 part of the image that moves ("cell", what one fish
// changes), all of it ("whole"), or nothing at all ("tick": what waking up
// ten times a second costs by itself).
//   finbowl_repaint_floor cell|whole|tick
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <cstring>

namespace {

class Tank final : public QWidget {
 public:
  explicit Tank(const char* mode)
      : whole_(std::strcmp(mode, "whole") == 0),
        tick_(std::strcmp(mode, "tick") == 0),
        image_(640, 450, QImage::Format_RGB32) {
    image_.fill(0xFFCCFFCCu);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(image_.size());
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (tick_) {
        return;
      }
      // A square that walks across the tank, so every frame changes pixels;
      // only its rows are touched.
      const int last = x_;
      x_ = (x_ + 7) % (640 - 75);
      for (int y = 200; y < 275; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + last, row + last + 75, 0xFFCCFFCCu);
        std::fill(row + x_, row + x_ + 75, 0xFFFF6600u);
      }
      if (whole_) {
        update();
      } else {
        update(QRect(last, 200, 75, 75).united(QRect(x_, 200, 75, 75)));
      }
    });
    timer_.start(100);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    for (const QRect& part : event->region()) {
      painter.drawImage(part, image_, part);
    }
  }

 private:
  bool whole_;
  bool tick_;
  QImage image_;
  QTimer timer_;
  int x_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Finbowl"));
  window.menuBar()->addMenu(QStringLiteral("設定"))->addAction(QStringLiteral("数＆種類"));
  window.setCentralWidget(new Tank(argc > 1 ? argv[1] : "cell"));
  window.show();
  return QApplication::exec();
}
