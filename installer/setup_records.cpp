#include "installer/setup_records.h"

#include "installer/setup_script.h"
#include "installer/setup_texts.h"

namespace talven::installer {

std::string LogRecord(LogKind kind, bool shared, const std::string& text) {
  char letter = static_cast<char>(kind);
  if (shared && (kind == LogKind::File || kind == LogKind::Pending)) letter = static_cast<char>(letter + 32);
  std::string record(1, letter);
  for (char c : text.substr(0, kMaxLogText)) record += (c == '\r' || c == '\n') ? ' ' : c;
  return record + "\r\n";
}

std::vector<std::string> ParseCleanupList(const std::string& bytes) {
  std::vector<std::string> names;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\0', at);
    if (end == std::string::npos) end = bytes.size();
    const std::string name = bytes.substr(at, end - at);
    if (name.empty()) break;
    bool plain = name != "." && name != ".." && name.size() < 260;
    for (unsigned char c : name) {
      if (c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
          c == '>' || c == '|') {
        plain = false;
      }
    }
    const std::string base = Upper(name.substr(0, name.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "LPT3"}) {
      if (base == device) plain = false;
    }
    if (plain) names.push_back(name);
    at = end + 1;
  }
  return names;
}

namespace {

std::string AddRenameLine(const std::string& oldContent, const std::string& line) {
  std::string out;
  bool added = false;
  size_t at = 0;
  while (at < oldContent.size()) {
    size_t end = oldContent.find('\n', at);
    if (end == std::string::npos) end = oldContent.size();
    std::string text;
    for (size_t i = at; i < end; ++i) {
      if (oldContent[i] != '\r') text += oldContent[i];
    }
    at = end + 1;
    if (text.empty()) continue;
    out += text + "\r\n";
    if (!added && EqualNoCase(text, "[rename]")) {
      out += line + "\r\n";
      added = true;
    }
  }
  if (!added) out += "[rename]\r\n" + line + "\r\n";
  return out;
}

}  // namespace

std::string AddWininitDelete(const std::string& oldContent, const std::string& shortPath) {
  return AddRenameLine(oldContent, "NUL=" + shortPath);
}

std::string AddWininitRename(const std::string& oldContent, const std::string& target, const std::string& source) {
  return AddRenameLine(oldContent, target + "=" + source);
}

uint32_t NextSharedCount(bool isDword, uint32_t value) {
  if (!isDword) value = 0;
  return value == 0xFFFFFFFFu ? value : value + 1;
}

bool IsSharedLibrary(const std::string& path, const std::string& windowsDir) {
  const std::string upper = Upper(path);
  if (upper.find(".DLL") == std::string::npos && upper.find(".EXE") == std::string::npos) return false;
  std::string dir = Upper(windowsDir);
  if (dir.empty()) return false;
  if (dir.back() != '\\') dir += '\\';
  return upper.compare(0, dir.size(), dir) == 0;
}

std::string DdeDeleteGroup(const std::string& group) { return FormatText("[deletegroup(%s)]", {group}); }

std::string DdeCreateGroup(const std::string& group, const std::string& groupFile) {
  return groupFile.empty() ? FormatText("[creategroup(%s)]", {group})
                           : FormatText("[creategroup(%s, %s)]", {group, groupFile});
}

std::string DdeAddItemShort(const std::string& command) { return FormatText("[AddItem(%s)]", {command}); }
std::string DdeReplaceItem(const std::string& command) { return FormatText("[ReplaceItem(%s)]", {command}); }

std::string DdeAddItem(const std::string& command, const std::string& name, const std::string& icon, int32_t iconIndex,
                       const std::string& workingDir) {
  if (workingDir.empty()) {
    return FormatText("[additem(%s,\"%s\",\"%s\",%d)]", {command, name, icon, iconIndex});
  }
  return FormatText("[additem(%s,\"%s\",\"%s\",%d,0,0,\"%s\")]", {command, name, icon, iconIndex, workingDir});
}

std::string DdeShowGroup(const std::string& group) { return FormatText("[showgroup(%s,2)]", {group}); }

}  // namespace talven::installer
