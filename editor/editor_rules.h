#pragma once
// The editor's rules that need no window: settings, project files, the command lines it
// hands to the other programs, the code-file search, the context-help word, the printed
// line and the block commands.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text_document.h"

namespace talven::editor {

inline constexpr char kUntitled[] = "OhneName";
inline constexpr char kSettingsFile[] = "TALVED32.INI";
inline constexpr char kDefaultFilter[] =
    "Talven-Dateien (*.tvs)|*.tvs|TalvenScript-Dateien (*.tvp)|*.tvp|"
    "Include-Dateien (*.inc)|*.inc|Alle Dateien|*.*";
// Buffers the settings are read into (the terminating NUL counts).
inline constexpr size_t kShortSetting = 80;
inline constexpr size_t kLongSetting = 255;
inline constexpr size_t kProjectSettingLimit = 255;
inline constexpr int32_t kMaxWindows = 255;

// ---- TALVED32.INI ----

// The private-profile file behind a small interface (the real one in win32/).
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // At most bufferSize - 1 characters, as a profile read into such a buffer gives.
  virtual std::string Read(std::string_view section, std::string_view key,
                           std::string_view fallback, size_t bufferSize) = 0;
  virtual void Write(std::string_view section, std::string_view key, std::string_view value) = 0;
  // Takes the key out of its section (a store that cannot leaves it empty).
  virtual void Remove(std::string_view section, std::string_view key) { Write(section, key, ""); }
};

struct FramePlacement {
  int32_t top = 20;
  int32_t left = 20;
  int32_t width = 600;
  int32_t height = 400;
};

struct FontSetting {
  std::string name = "FixedSys";
  int32_t colour = 0;
  int32_t size = 12;
};

// A decimal number with optional sign and blanks around it; false for anything else.
bool ParseNumber(std::string_view text, int32_t& value);

// [Position]: defaults when the frame would lie off the screen or be smaller than 100 x 100.
FramePlacement ReadPlacement(ProfileStore& ini, int32_t screenWidth, int32_t screenHeight);
void WritePlacement(ProfileStore& ini, const FramePlacement& placement);
// Toolbar1 and Schnellsuche: only "1" shows the bar.
bool ReadBarVisible(ProfileStore& ini, std::string_view key);
// [Optionen] Tab: 1 to 32, else 8.
int32_t ReadTabWidth(ProfileStore& ini);
bool ValidTabWidth(int32_t width);
bool ReadSyntaxColours(ProfileStore& ini);
// [Schrift]: at most 79 characters of name, Color decimal (else 0), Size 4 to 72 (else 12).
FontSetting ReadFont(ProfileStore& ini);
void WriteFont(ProfileStore& ini, const FontSetting& font);
// [Projekt] Filter: a filter whose parts do not pair up gives the default one.
std::string ReadFilter(ProfileStore& ini);
bool ValidFilter(std::string_view filter);

// ---- project files ----

struct ProjectLine {
  enum class Kind { Runtime, Directory, File };
  Kind kind;
  std::string text;
  bool operator==(const ProjectLine&) const = default;
};

// The lines in file order: "$3=" runtime, "$P=" directory, other "$" lines dropped, empty
// lines skipped, every other line a file. Values stop at a NUL and at 255 characters.
std::vector<ProjectLine> ReadProject(std::string_view bytes);
std::string WriteProject(std::string_view runtime, std::string_view directory,
                         const std::vector<std::string>& files);

// ---- start command lines ----

// The folder of the program's own file, up to and including the last ":" or "\".
std::string EditorDirOf(std::string_view programPath);
// TLVRUN32.EXE beside the editor, quoted when the folder holds a blank.
std::string DefaultRuntimeModule(std::string_view editorDir);
std::string Quoted(std::string_view text);
std::string InterpreterCommand(std::string_view source);
std::string ScriptCommand(std::string_view source);
std::string CompilerCommand(std::string_view source);
std::string RuntimeCommand(std::string_view runtime, std::string_view codeFile);
std::string LinkCommand(std::string_view codeFile, bool screenSaver);
std::string HelperCommand(std::string_view editorDir, std::string_view script);
std::string UserMenuCommand(std::string_view runtime, std::string_view editorDir);
std::string ProgramCommand(std::string_view chosen);

// The code file of a source: its bare name without the last extension, plus ".TVC".
std::string CodeFileName(std::string_view source);
// The bare name (current folder) first, then the source's folder; empty when neither exists.
std::string FindCodeFile(std::string_view source, const std::function<bool(const std::string&)>& exists);

struct StartParameter {
  bool project;
  std::string name;
  bool operator==(const StartParameter&) const = default;
};
// The parameters of a command line (the program's name included): blanks separate,
// double quotes group and are dropped.
std::vector<std::string> SplitParameters(std::string_view commandLine);
// "@name" opens a project (at most 255 characters of name); anything else a file.
std::vector<StartParameter> ReadStartParameters(const std::vector<std::string>& parameters);

// ---- window helpers ----

// The word for context help around a column (from 1) of a line (at most 255 characters used).
std::string HelpWord(std::string_view line, int32_t column);
// "number in 6 places: text", the text cut at 1016 characters.
std::string PrintLine(int32_t number, std::string_view text);
// The printed lines of a whole text, or of the selection (blanks before its start, cut at
// its end).
std::vector<std::string> PrintLines(const TextDocument& doc, bool selectionOnly);

// Einrücken (" "), Mit Text einrücken (any text) and Ausrücken over the selection's lines or
// the caret line; each one undo step, the selection set again as it was.
void IndentLines(TextDocument& doc, std::string_view prefix);
void OutdentLines(TextDocument& doc);
// Kopieren als Datei: the selection's lines whole, each ended by CR LF; empty without one.
std::string SelectedLinesAsFile(const TextDocument& doc);
// Einfügen aus Datei: every line of the file followed by a line end, at the caret.
void InsertFileLines(TextDocument& doc, std::string_view bytes);

}  // namespace talven::editor
