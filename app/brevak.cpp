// Start-up: the application, the main window, the message loop.
#include <QApplication>

#include "app/main.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  TfrmMain frmMain;
  frmMain.show();
  return app.exec();
}
