#include "shell/desktop_integration/window_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace finbowl {
namespace {

QSize FrameExtra(const QWidget& window) {
  return window.frameGeometry().size() - window.geometry().size();
}

// Watches the first moments after the window is shown. When the frame's size
// changes, the window has just been framed, and it is placed again with its new
// outer size. It lets go after a few seconds, so a window the user moves is
// never pulled back.
class FramePlacer final : public QObject {
 public:
  FramePlacer(QWidget& window, Placement where)
      : QObject(&window), window_(window), where_(std::move(where)), extra_(FrameExtra(window)) {
    window.installEventFilter(this);
    constexpr int kWatchMilliseconds = 10000;
    QTimer::singleShot(kWatchMilliseconds, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                event->type() == QEvent::Show)) {
      const QSize extra = FrameExtra(window_);
      if (extra != extra_) {
        extra_ = extra;
        // Deferred: a move from inside the event that announced the frame would
        // be overtaken by the window manager's own placement.
        QTimer::singleShot(0, this, [this] {
          const QPoint topLeft = where_();
          if (window_.frameGeometry().topLeft() != topLeft) {
            window_.move(topLeft);
          }
        });
      }
    }
    return false;
  }

 private:
  QWidget& window_;
  Placement where_;
  QSize extra_;
};

// Lifts the size limit the moment the frame asks for the maximised state: the
// window's state changes then, before the compositor answers with the size.
// The limit comes back once the window has left that state as the compositor
// sees it, when it has its own size again: put back any sooner, it would shrink
// a window the compositor still holds maximised.
class MaximiseFollower final : public QObject {
 public:
  explicit MaximiseFollower(QWidget& window)
      : QObject(&window), window_(window), fixed_(window.size()) {
    connect(window.windowHandle(), &QWindow::windowStateChanged, this,
            [this](Qt::WindowState state) {
              if (state == Qt::WindowMaximized) {
                window_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
              }
            });
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::WindowStateChange &&
        !(window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
      window_.setFixedSize(fixed_);
    }
    return false;
  }

 private:
  QWidget& window_;
  QSize fixed_;
};

}  // namespace

QSize OuterSize(QWidget& window) {
  if (window.layout()) {
    window.layout()->activate();
  }
  return window.frameGeometry().size();
}

QSize ClientSize(QWidget& window, QWidget& client) {
  if (window.layout()) {
    window.layout()->activate();
  }
  return client.size();
}

void SetOuterSize(QWidget& window, QSize outer) {
  window.resize(outer - FrameExtra(window));
  if (window.layout()) {
    window.layout()->activate();
  }
}

QSize ScreenSize(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(0, 0);
}

void PlaceWindow(QWidget& window, const Placement& where) {
  window.move(where());
  new FramePlacer(window, where);
}

void LetFixedWindowMaximise(QWidget& window) {
  if (window.windowHandle()) {
    new MaximiseFollower(window);
  }
}

}  // namespace finbowl
