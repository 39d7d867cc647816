#include <QApplication>

#include "platform/application_setup.h"
#include "shell/app_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  finbowl::SetUpApplication(app);
  finbowl::Aquarium aquarium;
  finbowl::Main(aquarium);
  return QApplication::exec();
}
