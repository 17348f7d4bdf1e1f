// The window's typeface: Tahoma 8 point, that is 11 pixels of character height at 96 pixels per
// inch. Debian ships a Tahoma with Wine in a folder that fontconfig does not read; the program
// loads it itself at start-up. Tested by tests/app/main_qtest.cpp.
#pragma once

#include <QFont>

namespace brevak {

// Adds the Tahoma files found in the known folders to the application's font database; call once
// after the application object exists. Returns whether a Tahoma is available afterwards.
bool LoadProgramFonts();

// Tahoma with an 11-pixel character height (device-independent pixels, so the window scales with
// the screen's density), or the closest sans-serif face installed when there is no Tahoma.
QFont ProgramFont();

}  // namespace brevak
