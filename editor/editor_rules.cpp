#include "editor/editor_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace talven::editor {

// ---- TALVED32.INI ----

bool ParseNumber(std::string_view text, int32_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) return false;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (negative) number = -number;
  if (number < INT32_MIN || number > INT32_MAX) return false;
  value = static_cast<int32_t>(number);
  return true;
}

namespace {

int32_t ReadNumber(ProfileStore& ini, std::string_view section, std::string_view key,
                   int32_t fallback) {
  int32_t value = 0;
  return ParseNumber(ini.Read(section, key, "", kShortSetting), value) ? value : fallback;
}

}  // namespace

FramePlacement ReadPlacement(ProfileStore& ini, int32_t screenWidth, int32_t screenHeight) {
  FramePlacement placement;
  placement.top = ReadNumber(ini, "Position", "Top", 20);
  placement.left = ReadNumber(ini, "Position", "Left", 20);
  placement.width = ReadNumber(ini, "Position", "Width", 600);
  placement.height = ReadNumber(ini, "Position", "Height", 400);
  // A frame that would be out of reach or too small to grab comes back at the defaults.
  const bool tooSmall = placement.width < 100 || placement.height < 100;
  const bool offScreen = placement.left >= screenWidth || placement.top >= screenHeight ||
                         int64_t{placement.left} + placement.width <= 0 ||
                         int64_t{placement.top} + placement.height <= 0 ||
                         placement.width > 4 * std::max(screenWidth, 100) ||
                         placement.height > 4 * std::max(screenHeight, 100);
  if (tooSmall || offScreen) placement = FramePlacement{};
  return placement;
}

void WritePlacement(ProfileStore& ini, const FramePlacement& placement) {
  // The order in which the frame writes them when it closes.
  ini.Write("Position", "Top", std::to_string(placement.top));
  ini.Write("Position", "Left", std::to_string(placement.left));
  ini.Write("Position", "Height", std::to_string(placement.height));
  ini.Write("Position", "Width", std::to_string(placement.width));
}

bool ReadBarVisible(ProfileStore& ini, std::string_view key) {
  int32_t value = 0;
  return ParseNumber(ini.Read("Optionen", key, "1", kShortSetting), value) && value == 1;
}

bool ValidTabWidth(int32_t width) { return width >= 1 && width <= 32; }

int32_t ReadTabWidth(ProfileStore& ini) {
  const int32_t width = ReadNumber(ini, "Optionen", "Tab", 8);
  return ValidTabWidth(width) ? width : 8;
}

bool ReadSyntaxColours(ProfileStore& ini) {
  return ini.Read("Optionen", "Syntax", "J", kShortSetting).starts_with("J");
}

FontSetting ReadFont(ProfileStore& ini) {
  FontSetting font;
  font.name = ini.Read("Schrift", "FontName", "FixedSys", kShortSetting);
  if (font.name.empty()) font.name = "FixedSys";
  font.colour = ReadNumber(ini, "Schrift", "Color", 0);
  font.size = ReadNumber(ini, "Schrift", "Size", 12);
  if (font.size < 4 || font.size > 72) font.size = 12;
  return font;
}

void WriteFont(ProfileStore& ini, const FontSetting& font) {
  ini.Write("Schrift", "FontName", font.name);
  ini.Write("Schrift", "Color", std::to_string(font.colour));
  ini.Write("Schrift", "Size", std::to_string(font.size));
}

bool ValidFilter(std::string_view filter) {
  // Description and pattern alternate: an even number of non-empty parts.
  size_t parts = 1;
  size_t start = 0;
  for (size_t i = 0; i <= filter.size(); ++i) {
    if (i == filter.size() || filter[i] == '|') {
      if (i == start) return false;
      if (i < filter.size()) ++parts;
      start = i + 1;
    }
  }
  return parts % 2 == 0;
}

std::string ReadFilter(ProfileStore& ini) {
  std::string filter = ini.Read("Projekt", "Filter", kDefaultFilter, kLongSetting);
  return ValidFilter(filter) ? filter : std::string(kDefaultFilter);
}

// ---- project files ----

std::vector<ProjectLine> ReadProject(std::string_view bytes) {
  std::vector<ProjectLine> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    line = line.substr(0, line.find('\0'));
    if (line.empty()) continue;
    if (line[0] == '$') {
      // Deliberate: the third character (normally "=") is never looked at.
      const std::string_view value =
          line.size() > 3 ? line.substr(3, kProjectSettingLimit) : std::string_view();
      if (line.size() >= 2 && line[1] == 'P') {
        lines.push_back({ProjectLine::Kind::Directory, std::string(value)});
      } else if (line.size() >= 2 && line[1] == '3') {
        lines.push_back({ProjectLine::Kind::Runtime, std::string(value)});
      }
      continue;
    }
    // No file name is longer than the system's paths; longer lines name no file.
    lines.push_back({ProjectLine::Kind::File, std::string(line.substr(0, 259))});
  }
  return lines;
}

std::string WriteProject(std::string_view runtime, std::string_view directory,
                         const std::vector<std::string>& files) {
  std::string out = "$3=";
  out.append(runtime);
  out += "\r\n$P=";
  out.append(directory);
  out += "\r\n";
  for (const std::string& file : files) {
    out += file;
    out += "\r\n";
  }
  return out;
}

// ---- start command lines ----

std::string EditorDirOf(std::string_view programPath) {
  const size_t cut = programPath.find_last_of(":\\");
  return cut == std::string_view::npos ? std::string() : std::string(programPath.substr(0, cut + 1));
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string DefaultRuntimeModule(std::string_view editorDir) {
  const std::string module = std::string(editorDir) + "TLVRUN32.EXE";
  return module.find(' ') == std::string::npos ? module : Quoted(module);
}

std::string InterpreterCommand(std::string_view source) { return "TALVEN.EXE " + Quoted(source); }
std::string ScriptCommand(std::string_view source) { return "TALVSCR.EXE " + Quoted(source); }
std::string CompilerCommand(std::string_view source) { return "TALVCOMP.EXE " + Quoted(source); }

std::string RuntimeCommand(std::string_view runtime, std::string_view codeFile) {
  return std::string(runtime) + " " + Quoted(codeFile);
}

std::string LinkCommand(std::string_view codeFile, bool screenSaver) {
  return "TALVLINK.EXE " + Quoted(codeFile) + (screenSaver ? " /S" : "");
}

std::string HelperCommand(std::string_view editorDir, std::string_view script) {
  return "HELFER.EXE " + Quoted(std::string(editorDir) + std::string(script));
}

std::string UserMenuCommand(std::string_view runtime, std::string_view editorDir) {
  return std::string(runtime) + " " + Quoted(std::string(editorDir) + "BENUTZER.HLF");
}

std::string ProgramCommand(std::string_view chosen) { return Quoted(chosen); }

std::string CodeFileName(std::string_view source) {
  const size_t slash = source.find_last_of(":\\/");
  std::string_view bare = slash == std::string_view::npos ? source : source.substr(slash + 1);
  const size_t dot = bare.rfind('.');
  if (dot != std::string_view::npos) bare = bare.substr(0, dot);
  return std::string(bare) + ".TVC";
}

std::string FindCodeFile(std::string_view source,
                         const std::function<bool(const std::string&)>& exists) {
  const std::string bare = CodeFileName(source);
  if (exists(bare)) return bare;
  const size_t slash = source.find_last_of(":\\/");
  if (slash != std::string_view::npos) {
    const std::string beside = std::string(source.substr(0, slash + 1)) + bare;
    if (exists(beside)) return beside;
  }
  return {};
}

std::vector<std::string> SplitParameters(std::string_view commandLine) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, any = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) out.push_back(current);
  return out;
}

std::vector<StartParameter> ReadStartParameters(const std::vector<std::string>& parameters) {
  std::vector<StartParameter> out;
  for (const std::string& parameter : parameters) {
    if (parameter.empty()) continue;
    if (parameter[0] == '@') {
      out.push_back({true, parameter.substr(1, kProjectSettingLimit)});
    } else {
      out.push_back({false, parameter});
    }
  }
  return out;
}

// ---- window helpers ----

namespace {

bool IsHelpDelimiter(unsigned char c) {
  return c <= ' ' || std::strchr("()+-*/\\^,.;:<>=?[]{}|_\"", c) != nullptr;
}

}  // namespace

std::string HelpWord(std::string_view line, int32_t column) {
  line = line.substr(0, 255);
  const int32_t size = static_cast<int32_t>(line.size());
  int32_t at = column - 1;
  // Backwards while the character belongs to a word; past the line's end nothing does.
  while (at >= 0 && at < size && !IsHelpDelimiter(static_cast<unsigned char>(line[at]))) --at;
  std::string word;
  for (int32_t i = at + 1; i < size && word.size() < 255; ++i) {
    if (IsHelpDelimiter(static_cast<unsigned char>(line[i]))) break;
    word.push_back(line[i]);
  }
  return word;
}

std::string PrintLine(int32_t number, std::string_view text) {
  char head[32];
  std::snprintf(head, sizeof head, "%6d: ", static_cast<int>(number));
  return head + std::string(text.substr(0, 1016));
}

std::vector<std::string> PrintLines(const TextDocument& doc, bool selectionOnly) {
  std::vector<std::string> out;
  if (!selectionOnly || !doc.HasSelection()) {
    for (int32_t line = 0; line < doc.LineCount(); ++line) {
      out.push_back(PrintLine(line + 1, doc.DisplayText(line)));
    }
    return out;
  }
  const Selection selection = doc.GetSelection();
  for (int32_t line = selection.start.line; line <= selection.end.line; ++line) {
    std::string text = doc.DisplayText(line - 1);
    if (line == selection.end.line) text = text.substr(0, std::min<size_t>(text.size(), selection.end.column - 1));
    if (line == selection.start.line) {
      const size_t blanks = std::min<size_t>(text.size(), selection.start.column - 1);
      std::fill(text.begin(), text.begin() + blanks, ' ');
    }
    out.push_back(PrintLine(line, text));
  }
  return out;
}

namespace {

// The lines a block command works on, from 0.
void BlockRange(const TextDocument& doc, int32_t& first, int32_t& last) {
  first = doc.LineOf(doc.SelectionFrom());
  last = doc.HasSelection() ? doc.LineOf(doc.SelectionTo()) : first;
}

}  // namespace

void IndentLines(TextDocument& doc, std::string_view prefix) {
  const Selection before = doc.GetSelection();
  const bool hadSelection = doc.HasSelection();
  int32_t first = 0, last = 0;
  BlockRange(doc, first, last);
  doc.CollapseSelectionToEnd();
  std::vector<TextDocument::Edit> edits;
  for (int32_t line = first; line <= last && !prefix.empty(); ++line) {
    edits.push_back({doc.LineStart(line), 0, std::string(prefix)});
  }
  doc.ReplaceMany(edits);
  if (hadSelection) {
    doc.SetSelection(before.start, before.end);
  } else {
    doc.SetCaret(doc.PositionOf(before.start));
  }
}

void OutdentLines(TextDocument& doc) {
  const Selection before = doc.GetSelection();
  const bool hadSelection = doc.HasSelection();
  int32_t first = 0, last = 0;
  BlockRange(doc, first, last);
  doc.CollapseSelectionToEnd();
  std::vector<TextDocument::Edit> edits;
  for (int32_t line = first; line <= last; ++line) {
    // Deliberate: whatever the first character is, it goes; an empty line stays.
    if (doc.LineEnd(line) > doc.LineStart(line)) edits.push_back({doc.LineStart(line), 1, ""});
  }
  doc.ReplaceMany(edits);
  if (hadSelection) {
    doc.SetSelection(before.start, before.end);
  } else {
    doc.SetCaret(doc.PositionOf(before.start));
  }
}

std::string SelectedLinesAsFile(const TextDocument& doc) {
  if (!doc.HasSelection()) return {};
  std::string out;
  const int32_t last = doc.LineOf(doc.SelectionTo());
  for (int32_t line = doc.LineOf(doc.SelectionFrom()); line <= last; ++line) {
    out += doc.LineText(line);
    out += "\r\n";
  }
  return out;
}

void InsertFileLines(TextDocument& doc, std::string_view bytes) {
  std::string text;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    text.append(bytes.substr(pos, end - pos));
    text += "\r\n";
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  if (!text.empty()) doc.InsertText(text);
}

}  // namespace talven::editor
