#pragma once
// The file dialogs, from comdlg32 loaded at their first use: that library brings a good
// part of the shell with it, whose loading would otherwise add to every program's start
// (tens of milliseconds under Wine), while few programs ever show a file dialog.

#include <windows.h>
#include <commdlg.h>

namespace talven {

// GetOpenFileNameA and GetSaveFileNameA; FALSE (as for a cancelled dialog) where the
// library or the function cannot be had.
BOOL ShowOpenFileDialog(OPENFILENAMEA* dialog);
BOOL ShowSaveFileDialog(OPENFILENAMEA* dialog);

}  // namespace talven
