#include "editor/win32/frame_parts.h"

#include <string>

namespace talven::editor::frame {

void Start(const std::string& commandLine) { WinExec(commandLine.c_str(), SW_SHOWNORMAL); }

void StartTool(const char* program, const char* failure) {
  if (WinExec(program, SW_SHOWNORMAL) <= 32) Box(failure, MB_OK | MB_ICONSTOP);
}

void TalvenCommand(WORD command) {
  TEditForm* form = ActiveForm();
  if (!form || !CanClose()) return;
  const std::string& source = form->fileName;
  switch (command) {
    case kRun: Start(InterpreterCommand(source)); break;
    case kRunScript: Start(ScriptCommand(source)); break;
    case kCompile: Start(CompilerCommand(source)); break;
    case kStart: {
      std::string code = FindCodeFile(source, FileExists);
      if (code.empty()) {
        code = AskFile(FileDialog::Open, "Talven-Programm ausw\xE4hlen:", "Talven-Programme|*.tvc", "",
                       OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      }
      if (!code.empty()) Start(RuntimeCommand(g_editor->runtimeModule, code));
      break;
    }
    case kMakeExe:
    case kMakeSaver: {
      const std::string code = AskFile(FileDialog::Open, "Talven-Programm ausw\xE4hlen:",
                                       "Talven-Programme|*.tvc", "", OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
      if (!code.empty()) Start(LinkCommand(code, command == kMakeSaver));
      break;
    }
    default: break;
  }
}

void Help(UINT command, const std::string& data) {
  WinHelpA(g_editor->frame, kHelpFile, command, data.empty() && command != HELP_PARTIALKEY
                                                    ? 0 : reinterpret_cast<ULONG_PTR>(data.c_str()));
}

void HelpEditorTopic() {
  Help(HELP_CONTENTS);
  Help(HELP_COMMAND, "JumpID(\"\",\"Editor\")");
}

void ContextHelp() {
  TEditForm* form = ActiveForm();
  if (!form) return;
  TextDocument& doc = form->control->Doc();
  const LineColumn place = doc.CaretPlace();
  Help(HELP_PARTIALKEY, HelpWord(doc.DisplayText(place.line - 1), place.column));
}

}  // namespace talven::editor::frame
