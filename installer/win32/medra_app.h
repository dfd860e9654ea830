#pragma once
// MEDRA32's start-up, windows and dialogs.

#include <windows.h>

namespace talven::installer {

// Runs the setup with the program's command line; the exit code.
int RunMedra(HINSTANCE instance, const char* commandLine);

}  // namespace talven::installer

// The error dialog's procedure, exported under this name.
extern "C" __declspec(dllexport) INT_PTR CALLBACK wsErrorDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
