// Start-up: the TLS binding, the application, the program's fonts, the main window, the message
// loop; the TLS binding is released when the window has closed. Run by scripts/demo; the parts
// it starts are tested by tests/app/main_qtest.cpp.
#include <QApplication>

#include "app/fonts.h"
#include "app/main.h"
#include "base/paths.h"
#include "net/sslinterface.h"

int main(int argc, char* argv[]) {
  brevak::ResolveProgramPaths();
  brevak::InitSSLInterface();
  int result = 0;
  {
    QApplication application(argc, argv);
    LoadProgramFonts();
    TfrmMain window;
    frmMain = &window;
    window.show();
    result = QApplication::exec();
    frmMain = nullptr;
  }
  brevak::DestroySSLInterface();
  return result;
}
