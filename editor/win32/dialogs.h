#pragma once
// The editor's small modal dialogs, built in memory: the input box and the
// project-settings dialog.

#include <windows.h>

#include <string>

namespace talven::editor {

// Caption, prompt, a text field with `text`, OK and Abbrechen. True on OK (text updated).
bool InputBox(HWND owner, const std::string& caption, const std::string& prompt, std::string& text);

struct ProjectSettings {
  std::string projectFile;
  std::string runtime;      // the working value: RuntimeModule, or the file chosen by ".."
  std::string typed;        // the runtime field's text on OK
  std::string directory;
};

// The "Projekt-Einstellungen" dialog (TBtnBottomDlg). True on OK.
bool ShowProjectSettings(HWND owner, ProjectSettings& settings);

}  // namespace talven::editor
