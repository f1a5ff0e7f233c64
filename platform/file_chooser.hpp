// The desktop's file chooser, through a helper program: `zenity
// --file-selection`, else `kdialog --getopenfilename`, whichever is found
// first on PATH, filtered to reports. Free of SDL.
#pragma once

#include <string>

// The name of the helper found on PATH ("zenity" or "kdialog"), empty when
// neither is installed.
std::string file_chooser_helper();
// Asks the user for a report to open and waits for the answer. Returns the
// chosen path; empty when the user cancelled or no helper is installed
// (*error then says so).
std::string file_chooser_open_report(std::string* error);
