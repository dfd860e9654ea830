#pragma once
// TALVED32's frame (TFrameForm) with its edit windows (TEditForm).

#include <windows.h>

namespace talven::editor {

// Creates the frame, handles the command line, runs the message loop; the exit code.
int RunEditor(HINSTANCE instance, const char* commandLine);

}  // namespace talven::editor
