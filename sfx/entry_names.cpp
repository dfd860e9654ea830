#include "sfx/entry_names.h"

#include <cstring>

#include "sfx/local_header.h"

namespace talven::sfx {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameText(const char* a, int32_t length, const char* b) {
  for (int32_t i = 0; i < length; ++i) {
    if (b[i] == '\0' || Upper(a[i]) != Upper(b[i])) return false;
  }
  return b[length] == '\0';
}

// Windows opens these names as devices in every directory, whatever the extension.
bool IsDeviceName(const char* component, int32_t length) {
  int32_t base = 0;
  while (base < length && component[base] != '.') ++base;
  while (base > 0 && component[base - 1] == ' ') --base;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                         "CLOCK$"};
  for (const char* device : kDevices) {
    if (SameText(component, base, device)) return true;
  }
  if (base == 4 && (SameText(component, 3, "COM") || SameText(component, 3, "LPT")) &&
      component[3] >= '1' && component[3] <= '9') {
    return true;
  }
  return false;
}

// The characters of code page 1252 at 0x80..0x9F (0 where it has none).
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char AnsiOf(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
  for (int32_t i = 0; i < 32; ++i) {
    if (kWindows1252High[i] != 0 && kWindows1252High[i] == codePoint) return static_cast<char>(0x80 + i);
  }
  return '_';
}

// Decodes one UTF-8 sequence at text; 0 bytes when it is not well formed.
int32_t DecodeUtf8(const unsigned char* text, uint32_t& codePoint) {
  const unsigned char lead = text[0];
  int32_t length = 0;
  uint32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  for (int32_t i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (text[i] & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

void NameToAnsi(char* name, bool flaggedUtf8) {
  const auto* text = reinterpret_cast<const unsigned char*>(name);
  bool wellFormed = true;
  bool beyondAscii = false;
  for (size_t i = 0; text[i] != 0;) {
    uint32_t codePoint = 0;
    const int32_t length = DecodeUtf8(text + i, codePoint);
    if (length == 0) {
      wellFormed = false;
      break;
    }
    beyondAscii = beyondAscii || length > 1;
    i += static_cast<size_t>(length);
  }
  if (!flaggedUtf8 && !(wellFormed && beyondAscii)) return;
  // The converted name is never longer: each sequence becomes one byte.
  size_t out = 0;
  for (size_t i = 0; text[i] != 0;) {
    uint32_t codePoint = 0;
    const int32_t length = DecodeUtf8(text + i, codePoint);
    name[out++] = length == 0 ? '_' : AnsiOf(codePoint);
    i += length == 0 ? 1 : static_cast<size_t>(length);
  }
  name[out] = '\0';
}

bool ListName(const char* storedName, PathMode mode, char* out) {
  char name[kMaxEntryName + 2];
  int32_t length = 0;
  bool hasDirectory = false;
  for (const char* p = storedName; *p != '\0' && length < kMaxEntryName; ++p) {
    const char c = *p == '/' ? '\\' : *p;
    if (c == '\\') hasDirectory = true;
    name[length++] = c;
  }
  name[length] = '\0';
  if (mode == PathMode::Flat) {
    std::strcpy(out, LastComponent(name));
    return hasDirectory;
  }
  // A backslash anywhere but in front marks a name with a directory: it is listed from the
  // archive's root, with one backslash in front.
  const char* inner = length > 1 ? std::strchr(name + 1, '\\') : nullptr;
  if (inner != nullptr) {
    // The added backslash counts against the 255 characters too.
    const int32_t kept = length < kMaxEntryName ? length : kMaxEntryName - 1;
    out[0] = '\\';
    std::memcpy(out + 1, name, static_cast<size_t>(kept));
    out[kept + 1] = '\0';
  } else {
    std::memcpy(out, name, static_cast<size_t>(length) + 1);
  }
  return hasDirectory;
}

const char* RelativeName(const char* listName) {
  return listName[0] == '\\' ? listName + 1 : listName;
}

const char* LastComponent(const char* path) {
  const char* last = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') last = p + 1;
  }
  return last;
}

bool IsSafeRelativeName(const char* relative) {
  if (relative[0] == '\0' || relative[0] == '\\' || relative[0] == '/') return false;
  const char* component = relative;
  for (const char* p = relative;; ++p) {
    const char c = *p;
    if (c == '\\' || c == '/' || c == '\0') {
      const int32_t length = static_cast<int32_t>(p - component);
      // An empty component is only allowed at the end (a directory entry "sub\").
      if (length == 0 && c != '\0') return false;
      bool dotsAndBlanks = length > 0;
      for (int32_t i = 0; i < length; ++i) {
        if (component[i] != '.' && component[i] != ' ') dotsAndBlanks = false;
      }
      const bool singleDot = length == 1 && component[0] == '.';
      if (dotsAndBlanks && !singleDot) return false;
      if (length > 0 && IsDeviceName(component, length)) return false;
      if (c == '\0') return true;
      component = p + 1;
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr(":*?\"<>|", c) != nullptr) {
      return false;
    }
  }
}

bool IsSafeEntryName(const char* storedName, PathMode mode) {
  char name[kMaxEntryName + 2];
  int32_t length = 0;
  for (const char* p = storedName; *p != '\0'; ++p) {
    if (length == kMaxEntryName) return false;  // would be cut and land elsewhere
    name[length++] = *p == '/' ? '\\' : *p;
  }
  name[length] = '\0';
  if (mode == PathMode::Flat) {
    const char* last = LastComponent(name);
    return last[0] == '\0' || IsSafeRelativeName(last);
  }
  return IsSafeRelativeName(name);
}

bool TargetName(const char* directory, const char* listName, PathMode mode, char* out) {
  size_t length = std::strlen(directory);
  const char* name = listName;
  if (mode == PathMode::WithPaths) {
    while (length > 0 && directory[length - 1] == '\\') --length;
    name = RelativeName(listName);
  } else if (length > 0 && directory[length - 1] == '\\') {
    --length;
  }
  const size_t nameLength = std::strlen(name);
  if (length + 1 + nameLength + 1 > static_cast<size_t>(kMaxPath)) return false;
  std::memcpy(out, directory, length);
  out[length] = '\\';
  std::memcpy(out + length + 1, name, nameLength + 1);
  return true;
}

void DirectoryOf(const char* path, char* out) {
  const char* last = std::strrchr(path, '\\');
  const size_t length = last == nullptr ? 0 : static_cast<size_t>(last - path);
  std::memcpy(out, path, length);
  out[length] = '\0';
}

}  // namespace talven::sfx
