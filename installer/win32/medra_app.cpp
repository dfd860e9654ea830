// MEDRA32 on Win32: the start-up (language library, CTL3D32, command line, script), the
// windows made, the flow run, and the clean-up.

#include "installer/win32/medra_app.h"

#include <algorithm>
#include <string>
#include <vector>

#include "installer/setup_flow.h"
#include "installer/win32/medra_internal.h"
#include "installer/win32/win32_setup_system.h"
#include "resources/medra_ids.h"

namespace talven::installer {
namespace medra {

App g_app;

}  // namespace medra

using namespace medra;

namespace {

class LibraryTexts final : public SetupTexts {
 public:
  std::string Text(int32_t id) override { return LibraryText(id); }
};

// The language library: MED32<lang>.DLL from [Intl] sLanguage, MED32ENG.DLL, the first
// MED32*.DLL of the program's directory.
bool LoadLanguageLibrary(const std::string& programDir) {
  char language[16];
  GetProfileStringA("Intl", "sLanguage", "ENG", language, sizeof(language));
  std::string lang = Upper(language);
  if (lang == "ENU") lang = "ENG";
  std::vector<std::string> candidates{JoinPath(programDir, "MED32" + lang + ".DLL"), JoinPath(programDir, "MED32ENG.DLL")};
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(JoinPath(programDir, "MED32*.DLL").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    candidates.push_back(JoinPath(programDir, data.cFileName));
    FindClose(find);
  }
  for (const std::string& path : candidates) {
    g_app.library = LoadLibraryA(path.c_str());
    if (g_app.library != nullptr) {
      g_app.libraryPath = path;
      return true;
    }
  }
  return false;
}

}  // namespace

int RunMedra(HINSTANCE instance, const char* commandLine) {
  g_app = App{};
  g_app.instance = instance;
  char modulePath[MAX_PATH];
  GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath));
  std::string programDir(modulePath);
  programDir.resize(programDir.rfind('\\'));
  SetCurrentDirectoryA(programDir.c_str());
  if (!LoadLanguageLibrary(programDir)) {
    MessageBoxA(nullptr, kTextNoLibrary, kTitleNoLibrary, MB_OK | MB_ICONSTOP);
    MessageBoxA(nullptr, kTextNotInitialized, kTitleSetup, MB_OK | MB_ICONSTOP);
    return 0;
  }
  std::string help = g_app.libraryPath.substr(0, g_app.libraryPath.size() - 3) + "HLP";
  if (GetFileAttributesA(help.c_str()) != INVALID_FILE_ATTRIBUTES) g_app.helpFile = help;
  using Ctl3dCall = BOOL(WINAPI*)(HINSTANCE);
  HMODULE ctl3d = LoadLibraryA("CTL3D32.DLL");
  Ctl3dCall ctl3dUnregister = nullptr;
  if (ctl3d != nullptr) {
    auto reg = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dRegister")));
    auto sub = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dAutoSubclass")));
    ctl3dUnregister = reinterpret_cast<Ctl3dCall>(reinterpret_cast<void*>(GetProcAddress(ctl3d, "Ctl3dUnregister")));
    if (reg && sub) {
      reg(instance);
      sub(instance);
    } else {
      FreeLibrary(ctl3d);
      ctl3d = nullptr;
    }
  }
  // The command line: after the program's name, a first character above "@" names the
  // source directory (quotes around it are dropped).
  std::string sourceDir = programDir;
  {
    const char* p = commandLine;
    bool quoted = false;
    while (*p != 0 && (quoted || *p != ' ')) {
      if (*p == '"') quoted = !quoted;
      ++p;
    }
    while (*p == ' ') ++p;
    std::string argument(p);
    argument.erase(std::remove(argument.begin(), argument.end(), '"'), argument.end());
    while (!argument.empty() && argument.back() == ' ') argument.pop_back();
    if (!argument.empty() && static_cast<unsigned char>(argument[0]) > '@') sourceDir = argument;
  }
  Win32SetupSystem system(g_app.main);
  SetupScript script(system);
  LibraryTexts texts;
  int exitCode = 0;
  const std::string scriptPath = JoinPath(sourceDir, LibraryText(kTextScriptName));
  std::string raw;
  const DWORD attributes = GetFileAttributesA(scriptPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    MessageBoxA(nullptr, LibraryText(kTextNoScript).c_str(), kTitleSetup, MB_OK | MB_ICONSTOP);
  } else if (!system.ReadWholeFile(scriptPath, raw) || !script.Load(raw)) {
    MessageBoxA(nullptr, LibraryText(kTextBadScript).c_str(), kTitleSetup, MB_OK | MB_ICONSTOP);
  } else {
    g_app.script = &script;
    auto keyed = [&](int32_t keyId, int32_t defaultId) {
      std::string value;
      return script.DottedValue(LibraryText(keyId), value) ? value : LibraryText(defaultId);
    };
    g_app.headline = keyed(kTextHeadlineKey, kTextDefaultHeadline);
    g_app.subline = keyed(kTextSublineKey, kTextDefaultSubline);
    const std::string title = keyed(kTextTitleKey, kTextDefaultTitle);
    g_app.background = script.Number("Medra", "Background", 1) != 0;
    std::string ignored;
    g_app.usePalette = !script.Value("Medra", "NoPalette", ignored);
    g_app.sourceDir = sourceDir;
    std::string picture;
    if (script.DottedValue(LibraryText(kTextPictureKey), picture)) LoadPicture(picture);
    RegisterMainClass(instance);
    RegisterProgressClasses(instance);
    const bool caption = script.Number("Medra", "HasCaption", 1) != 0;
    const DWORD style = caption ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    g_app.main = CreateWindowA(kMainClass, title.c_str(), style, 40, 10, 600, 420, nullptr, nullptr, instance, nullptr);
    ShowWindow(g_app.main, script.Number("Medra", "NoMaximize", 0) == 1 ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    UpdateWindow(g_app.main);
    g_app.progress = CreateDialogParamA(g_app.library, MAKEINTRESOURCEA(MEDRA_DLG_PROGRESS), g_app.main, ProgressProc, 0);
    if (g_app.progress) ShowWindow(g_app.progress, SW_HIDE);
    char windowsDir[MAX_PATH], systemDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    GetSystemDirectoryA(systemDir, sizeof(systemDir));
    SetupPlaces places{windowsDir, systemDir, "", sourceDir, {}, {}};
    ReadDisks(script, places);
    SetupFlow flow(script, texts, Win32Ui(), system, places, programDir);
    try {
      exitCode = flow.Run();
    } catch (...) {
      exitCode = 0;
    }
    if (g_app.progress) DestroyWindow(g_app.progress);
    if (g_app.main) DestroyWindow(g_app.main);
    ReleaseBackground();
    g_app.script = nullptr;
  }
  FreeLibrary(g_app.library);
  if (ctl3d != nullptr) {
    if (ctl3dUnregister) ctl3dUnregister(instance);
    FreeLibrary(ctl3d);
  }
  return exitCode;
}

}  // namespace talven::installer