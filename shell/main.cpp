// Veltrano's entry point: builds the window, shows it and runs the event loop until the window is
// closed. Takes no command-line arguments of its own.
#include <QApplication>

#include "shell/main_window.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
  veltrano::DisableWebEngineSandboxForRoot();
  QApplication app(argc, argv);
  veltrano::MainWindow window;
  window.ShowCentred();
  return QApplication::exec();
}
