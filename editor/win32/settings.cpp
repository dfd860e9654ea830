#include "editor/win32/frame_parts.h"

#include <string>
#include <vector>

#include "editor/text_file.h"
#include "editor/win32/dialogs.h"

namespace talven::editor::frame {

void OpenProjekt() {
  std::string bytes;
  if (LoadTextFile(g_editor->projectFile, bytes) != FileResult::Ok) return;
  g_editor->tooManyReported = false;
  for (const ProjectLine& line : ReadProject(bytes)) {
    switch (line.kind) {
      case ProjectLine::Kind::Directory: g_editor->projectDir = line.text; break;
      case ProjectLine::Kind::Runtime:
        g_editor->runtimeModule = line.text;
        g_editor->ini.Write("LINK", "Runtime", line.text);
        break;
      case ProjectLine::Kind::File:
        if (line.text == kUntitled) {
          g_editor->nextFileName = kUntitled;
          CreateEditWindow();
        } else {
          OpenFileWindow(line.text);
        }
        break;
    }
  }
  SetCurrentDirectoryA(g_editor->projectDir.c_str());
  SetProjectStatus();
}

void SaveProjekt() {
  if (g_editor->projectFile.empty()) return;
  std::vector<std::string> files;
  for (TEditForm* form : Forms()) files.push_back(form->fileName);
  const std::string bytes = WriteProject(g_editor->runtimeModule, g_editor->projectDir, files);
  if (SaveTextFile(g_editor->projectFile, bytes, Backup::None) != FileResult::Ok) {
    Box("Datei kann nicht erzeugt werden: " + g_editor->projectFile);
  }
}

bool ChooseProjectName() {
  const std::string chosen = AskFile(FileDialog::Save, "Geben Sie dem Projekt einen Namen:",
                                     "Projektdatei|*.prj", g_editor->projectFile, 0, "prj");
  if (chosen.empty()) return false;
  g_editor->projectFile = chosen;
  return true;
}

void ProjectSettingsDialog() {
  ProjectSettings settings{g_editor->projectFile, g_editor->runtimeModule, "", g_editor->projectDir};
  if (!ShowProjectSettings(g_editor->frame, settings)) return;
  g_editor->ini.Write("LINK", "Runtime", settings.typed);
  // Deliberate: the typed field counts as the runtime module too, so that what the linker
  // reads and what Starten uses never differ.
  g_editor->runtimeModule = settings.typed.empty() ? settings.runtime : settings.typed;
  g_editor->projectDir = settings.directory;
}

void NewProject(bool fromEditWindow) {
  if (!CloseAll()) return;
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  const bool named = ChooseProjectName();
  if (named) SaveProjekt();
  if (named || fromEditWindow) {
    ProjectSettingsDialog();
    SetProjectStatus();
  }
  SetCurrentDirectoryA(current);
}

bool CloseFrame() {
  Editor& e = *g_editor;
  for (TEditForm* form : Forms()) {
    if (!QueryClose(form)) return false;
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(e.frame, &placement);
  const RECT& r = placement.rcNormalPosition;
  WritePlacement(e.ini, {r.top, r.left, r.right - r.left, r.bottom - r.top});
  e.ini.Write("Optionen", "Toolbar1", e.toolbarVisible ? "1" : "0");
  e.ini.Write("Optionen", "Schnellsuche", e.quickSearchVisible ? "1" : "0");
  e.ini.Write("Talved", "Projekt", e.projectFile);
  SaveProjekt();
  return true;
}

void HandleCommandLine() {
  Editor& e = *g_editor;
  e.projectFile = e.ini.Read("Talved", "Projekt", "", kShortSetting);
  if (e.parameters.empty()) {
    if (!e.projectFile.empty()) OpenProjekt();
    return;
  }
  for (const StartParameter& parameter : ReadStartParameters(e.parameters)) {
    if (parameter.project) {
      e.projectFile = parameter.name;
      OpenProjekt();
    } else {
      OpenFileWindow(FullPath(parameter.name));
    }
  }
  SetProjectStatus();
}

}  // namespace talven::editor::frame
