// What a screen reader is told about the program's own widgets: the main window is a window
// named by its title, the progress bar a progress bar with its value. Tested by
// tests/app/main_qtest.cpp.
#pragma once

namespace brevak {

// Registers the accessible interfaces of TForm and TProgressBar with Qt; once is enough, later
// calls do nothing.
void InstallAccessibleInterfaces();

}  // namespace brevak
