// Loading any bytes into the editor's text model: saving gives them back unchanged, and
// every line can be shown, placed and printed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/editor_rules.h"
#include "editor/text_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  talven::editor::TextDocument doc;
  doc.Load(bytes);
  if (doc.Bytes() != bytes || doc.Modified()) abort();
  doc.SetTabWidth(size > 0 ? data[0] % 33 : 8);
  for (int32_t line = 0; line < doc.LineCount(); ++line) {
    const std::string shown = doc.DisplayText(line);
    const talven::editor::LineColumn end = doc.PlaceOf(doc.LineEnd(line));
    if (end.line != line + 1 || static_cast<size_t>(end.column) != shown.size() + 1) abort();
    if (doc.PositionOf(end) != doc.LineEnd(line)) abort();
  }
  doc.SelectAll();
  if (talven::editor::PrintLines(doc, true).size() != static_cast<size_t>(doc.LineCount())) abort();
  return 0;
}
