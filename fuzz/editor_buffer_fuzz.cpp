// The editor's text model against a plain string: every edit sequence leaves the same bytes
// and a line index that agrees with a fresh scan; undoing everything restores the start.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/text_document.h"

using talven::editor::SearchFlags;
using talven::editor::TextDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t split = data[0] % size;
  const std::string start(reinterpret_cast<const char*>(data + 1), split > 0 ? split - 1 : 0);
  TextDocument doc;
  doc.Load(start);
  std::string model = start;
  size_t i = split;
  while (i + 3 <= size) {
    const uint8_t op = data[i], a = data[i + 1], b = data[i + 2];
    i += 3;
    const size_t pos = model.empty() ? 0 : (a * 257u + b) % (model.size() + 1);
    switch (op % 6) {
      case 0: {
        const std::string text(reinterpret_cast<const char*>(data + i), std::min<size_t>(op / 6 % 5, size - i));
        i += text.size();
        doc.Replace(pos, b % 4, text);
        model.replace(pos, std::min<size_t>(b % 4, model.size() - pos), text);
        break;
      }
      case 1:
        doc.SetCaret(pos);
        doc.TypeChar(static_cast<char>(b));
        model.insert(pos, 1, static_cast<char>(b));
        break;
      case 2:
        doc.Undo();
        model = doc.Bytes();
        break;
      case 3:
        doc.Redo();
        model = doc.Bytes();
        break;
      case 4: {
        const std::string text(1, static_cast<char>(a));
        const int32_t count = doc.ReplaceHits(text, "xy", SearchFlags::ReplaceAll | SearchFlags::MatchCase);
        size_t replaced = 0;
        std::string expected;
        for (char c : model) {
          if (c == static_cast<char>(a)) {
            expected += "xy";
            ++replaced;
          } else {
            expected += c;
          }
        }
        if ((replaced == 0 ? -1 : static_cast<int32_t>(replaced)) != count) abort();
        model = expected;
        break;
      }
      case 5:
        doc.SetCaret(pos);
        doc.Find(std::string(1, static_cast<char>(b)), static_cast<SearchFlags>(a & 7));
        break;
    }
    if (doc.Bytes() != model) abort();
  }
  TextDocument fresh;
  fresh.Load(model);
  if (fresh.LineCount() != doc.LineCount()) abort();
  for (int32_t line = 0; line < doc.LineCount(); ++line) {
    if (fresh.LineStart(line) != doc.LineStart(line)) abort();
    const talven::editor::LineColumn place = doc.PlaceOf(doc.LineEnd(line));
    if (doc.PositionOf(place) != doc.LineEnd(line)) abort();
  }
  while (doc.CanUndo()) doc.Undo();
  if (doc.Bytes() != start || doc.Modified()) abort();
  return 0;
}
