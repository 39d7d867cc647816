// The floor for the start-up figure: a Qt window with a one-item menu bar and
// nothing else, shown as the aquarium's window is. What the aquarium takes
// beyond it is its own; the rest is the toolkit's and the machine's.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Finbowl"));
  window.menuBar()->addMenu(QStringLiteral("設定"))->addAction(QStringLiteral("数＆種類"));
  window.resize(640, 469);
  window.show();
  return QApplication::exec();
}
