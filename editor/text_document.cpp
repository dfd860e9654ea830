#include "editor/text_document.h"

#include <algorithm>
#include <cstring>

namespace talven::editor {

// ---- gap buffer ----

void GapBuffer::Assign(std::string_view text) {
  m_data.assign(text.data(), text.size());
  m_gapStart = m_gapEnd = m_data.size();
}

void GapBuffer::MoveGap(size_t pos) {
  if (pos < m_gapStart) {
    const size_t count = m_gapStart - pos;
    std::memmove(&m_data[m_gapEnd - count], &m_data[pos], count);
    m_gapStart = pos;
    m_gapEnd -= count;
  } else if (pos > m_gapStart) {
    const size_t count = pos - m_gapStart;
    std::memmove(&m_data[m_gapStart], &m_data[m_gapEnd], count);
    m_gapStart = pos;
    m_gapEnd += count;
  }
}

void GapBuffer::Reserve(size_t extra) {
  if (GapLength() >= extra) return;
  // The gap grows with the text so that long typing stays cheap.
  const size_t gap = std::max(extra, Size() / 8 + 4096);
  std::string grown;
  grown.reserve(Size() + gap);
  grown.append(m_data, 0, m_gapStart);
  grown.append(gap, '\0');
  grown.append(m_data, m_gapEnd, std::string::npos);
  m_gapEnd = m_gapStart + gap;
  m_data.swap(grown);
}

void GapBuffer::Insert(size_t pos, std::string_view text) {
  if (text.empty()) return;
  MoveGap(pos);
  Reserve(text.size());
  std::memcpy(&m_data[m_gapStart], text.data(), text.size());
  m_gapStart += text.size();
}

void GapBuffer::Erase(size_t pos, size_t length) {
  if (length == 0) return;
  MoveGap(pos);
  m_gapEnd += length;
}

std::string GapBuffer::Slice(size_t pos, size_t length) const {
  std::string out;
  out.reserve(length);
  const size_t end = pos + length;
  if (pos < m_gapStart) out.append(m_data, pos, std::min(end, m_gapStart) - pos);
  if (end > m_gapStart) {
    const size_t from = std::max(pos, m_gapStart);
    out.append(m_data, from + GapLength(), end - from);
  }
  return out;
}

std::string_view GapBuffer::Contiguous() {
  MoveGap(Size());
  return std::string_view(m_data.data(), m_gapStart);
}

// ---- characters ----

unsigned char FoldCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

bool IsWordChar(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
    return true;
  if (c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F)
    return true;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

// ---- lines ----

void TextDocument::Load(std::string_view bytes) {
  ++m_revision;
  m_text.Assign(bytes);
  m_lineStarts.assign(1, 0);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
      m_lineStarts.push_back(i + 1);
  }
  m_actions.clear();
  m_undoPos = m_savePoint = 0;
  m_caret = m_anchor = 0;
  m_bookmarks.fill(kNoPosition);
}

bool TextDocument::IsLineStart(size_t pos) const {
  if (pos == 0 || pos > Size()) return pos == 0;
  const char before = At(pos - 1);
  if (before == '\n') return true;
  return before == '\r' && (pos == Size() || At(pos) != '\n');
}

// Line starts depend on the two bytes before them: only those near the change are looked
// at again, the ones behind it move by the change in length.
void TextDocument::UpdateLines(size_t pos, size_t removed, size_t inserted) {
  const size_t low = std::max<size_t>(pos, 1);
  auto first = std::lower_bound(m_lineStarts.begin(), m_lineStarts.end(), low);
  auto last = std::upper_bound(first, m_lineStarts.end(), pos + removed + 1);
  first = m_lineStarts.erase(first, last);
  const ptrdiff_t delta = static_cast<ptrdiff_t>(inserted) - static_cast<ptrdiff_t>(removed);
  if (delta != 0) {
    for (auto it = first; it != m_lineStarts.end(); ++it) *it += delta;
  }
  std::vector<size_t> found;
  const size_t high = std::min(pos + inserted + 1, Size());
  for (size_t s = low; s <= high; ++s) {
    if (IsLineStart(s)) found.push_back(s);
  }
  // A start just past the region can also stand among the shifted ones already.
  if (!found.empty() && first != m_lineStarts.end() && *first == found.back()) found.pop_back();
  m_lineStarts.insert(first, found.begin(), found.end());
}

size_t TextDocument::LineEnd(int32_t line) const {
  if (line + 1 >= LineCount()) return Size();
  size_t end = m_lineStarts[line + 1];
  const size_t start = m_lineStarts[line];
  if (end > start && At(end - 1) == '\n') --end;
  if (end > start && At(end - 1) == '\r') --end;
  return end;
}

std::string TextDocument::LineText(int32_t line) const {
  const size_t start = LineStart(line);
  return m_text.Slice(start, LineEnd(line) - start);
}

int32_t TextDocument::LineOf(size_t pos) const {
  auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), pos);
  return static_cast<int32_t>(it - m_lineStarts.begin()) - 1;
}

std::string TextDocument::DisplayText(int32_t line) const {
  std::string out;
  const size_t end = LineEnd(line);
  for (size_t i = LineStart(line); i < end; ++i) {
    const char c = At(i);
    if (c == '\t') {
      out.append(m_tabWidth - out.size() % m_tabWidth, ' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

LineColumn TextDocument::PlaceOf(size_t pos) const {
  pos = Clamp(pos);
  const int32_t line = LineOf(pos);
  int32_t column = 0;
  const size_t end = std::min(pos, LineEnd(line));
  for (size_t i = LineStart(line); i < end; ++i) {
    column = At(i) == '\t' ? (column / m_tabWidth + 1) * m_tabWidth : column + 1;
  }
  return {line + 1, column + 1};
}

size_t TextDocument::PositionOf(LineColumn place) const {
  const int32_t line = std::clamp(place.line, 1, LineCount()) - 1;
  const int32_t wanted = std::max(place.column, 1) - 1;
  int32_t column = 0;
  size_t i = LineStart(line);
  const size_t end = LineEnd(line);
  for (; i < end && column < wanted; ++i) {
    const int32_t next = At(i) == '\t' ? (column / m_tabWidth + 1) * m_tabWidth : column + 1;
    if (next > wanted) break;  // inside a tab: the tab's own place
    column = next;
  }
  return i;
}

Selection TextDocument::GetSelection() const {
  Selection selection;
  selection.exists = HasSelection();
  selection.start = PlaceOf(SelectionFrom());
  selection.end = PlaceOf(SelectionTo());
  return selection;
}

void TextDocument::SetSelection(LineColumn start, LineColumn end) {
  m_anchor = PositionOf(start);
  m_caret = PositionOf(end);
}

// ---- editing and undo ----

void TextDocument::Apply(size_t pos, size_t length, std::string_view text) {
  ++m_revision;
  m_text.Erase(pos, length);
  m_text.Insert(pos, text);
  UpdateLines(pos, length, text.size());
  for (size_t& mark : m_bookmarks) {
    if (mark == kNoPosition) continue;
    if (mark >= pos + length) {
      mark = mark - length + text.size();
    } else if (mark > pos) {
      mark = pos;
    }
  }
  m_caret = m_anchor = pos + text.size();
}

void TextDocument::Replace(size_t pos, size_t length, std::string_view text) {
  pos = Clamp(pos);
  length = std::min(length, Size() - pos);
  if (length == 0 && text.empty()) return;
  if (m_undoPos < m_actions.size()) {
    if (m_savePoint != kNoPosition && m_savePoint > m_undoPos) m_savePoint = kNoPosition;
    m_actions.resize(m_undoPos);
  }
  const uint32_t group = m_groupDepth > 0 ? m_openGroup : m_nextGroup++;
  m_actions.push_back({pos, m_text.Slice(pos, length), std::string(text), group, false});
  ++m_undoPos;
  Apply(pos, length, text);
}

void TextDocument::ReplaceMany(const std::vector<Edit>& edits) {
  if (edits.empty()) return;
  if (edits.size() == 1) return Replace(edits[0].pos, edits[0].length, edits[0].text);
  const size_t from = edits.front().pos;
  const size_t to = std::min(edits.back().pos + edits.back().length, Size());
  std::string span;
  size_t copied = from;
  for (const Edit& edit : edits) {
    span.append(m_text.Slice(copied, edit.pos - copied));
    span.append(edit.text);
    copied = edit.pos + edit.length;
  }
  // Where each bookmark goes: behind an edit it moves by the edit's change, inside one to
  // the edit's start.
  std::array<size_t, kBookmarks> marks = m_bookmarks;
  for (size_t& mark : marks) {
    if (mark == kNoPosition || mark < from) continue;
    ptrdiff_t delta = 0;
    for (const Edit& edit : edits) {
      if (edit.pos >= mark && !(edit.length == 0 && edit.pos == mark)) {
        break;
      }
      if (mark < edit.pos + edit.length) {
        mark = edit.pos;
        break;
      }
      delta += static_cast<ptrdiff_t>(edit.text.size()) - static_cast<ptrdiff_t>(edit.length);
    }
    mark += delta;
  }
  Replace(from, to - from, span);
  m_bookmarks = marks;
}

void TextDocument::BeginGroup() {
  if (m_groupDepth++ == 0) m_openGroup = m_nextGroup++;
}

void TextDocument::EndGroup() {
  if (m_groupDepth > 0) --m_groupDepth;
}

void TextDocument::InsertText(std::string_view text) {
  std::string converted;
  converted.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      converted += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      converted += "\r\n";
    } else {
      converted.push_back(text[i]);
    }
  }
  Replace(SelectionFrom(), SelectionTo() - SelectionFrom(), converted);
}

void TextDocument::TypeChar(char c, bool overwrite) {
  if (HasSelection()) {
    InsertText(std::string_view(&c, 1));
    return;
  }
  if (overwrite && m_caret < LineEnd(LineOf(m_caret))) {
    Replace(m_caret, 1, std::string_view(&c, 1));
    return;
  }
  // Typing continues the last step while nothing else came between and the saved state
  // is not in the middle of it (undo must be able to stop there).
  if (m_groupDepth == 0 && m_undoPos > 0 && m_undoPos == m_actions.size() &&
      m_undoPos != m_savePoint) {
    Action& last = m_actions.back();
    if (last.typing && last.removed.empty() && last.pos + last.inserted.size() == m_caret &&
        last.inserted.size() < 4096) {
      last.inserted.push_back(c);
      Apply(m_caret, 0, std::string_view(&c, 1));
      return;
    }
  }
  Replace(m_caret, 0, std::string_view(&c, 1));
  m_actions.back().typing = true;
}

void TextDocument::NewLine(bool autoIndent) {
  std::string text = "\r\n";
  if (autoIndent) {
    const int32_t line = LineOf(SelectionFrom());
    for (size_t i = LineStart(line); i < SelectionFrom(); ++i) {
      const char c = At(i);
      if (c != ' ' && c != '\t') break;
      text.push_back(c);
    }
  }
  Replace(SelectionFrom(), SelectionTo() - SelectionFrom(), text);
}

void TextDocument::DeleteSelection() {
  if (HasSelection()) Replace(SelectionFrom(), SelectionTo() - SelectionFrom(), "");
}

void TextDocument::DeleteAll() { Replace(0, Size(), ""); }

void TextDocument::Backspace() {
  if (HasSelection()) return DeleteSelection();
  if (m_caret == 0) return;
  size_t count = 1;
  if (m_caret >= 2 && At(m_caret - 1) == '\n' && At(m_caret - 2) == '\r') count = 2;
  Replace(m_caret - count, count, "");
}

void TextDocument::DeleteForward() {
  if (HasSelection()) return DeleteSelection();
  if (m_caret >= Size()) return;
  size_t count = 1;
  if (At(m_caret) == '\r' && m_caret + 1 < Size() && At(m_caret + 1) == '\n') count = 2;
  Replace(m_caret, count, "");
}

void TextDocument::Undo() {
  if (m_undoPos == 0) return;
  const uint32_t group = m_actions[m_undoPos - 1].group;
  while (m_undoPos > 0 && m_actions[m_undoPos - 1].group == group) {
    const Action& action = m_actions[--m_undoPos];
    Apply(action.pos, action.inserted.size(), action.removed);
  }
}

void TextDocument::Redo() {
  if (m_undoPos >= m_actions.size()) return;
  const uint32_t group = m_actions[m_undoPos].group;
  while (m_undoPos < m_actions.size() && m_actions[m_undoPos].group == group) {
    const Action& action = m_actions[m_undoPos++];
    Apply(action.pos, action.removed.size(), action.inserted);
  }
}

void TextDocument::SetModified(bool modified) { m_savePoint = modified ? kNoPosition : m_undoPos; }

void TextDocument::SetBookmark(int number, size_t pos) {
  if (number >= 1 && number <= kBookmarks) m_bookmarks[number - 1] = Clamp(pos);
}

size_t TextDocument::Bookmark(int number) const {
  if (number < 1 || number > kBookmarks) return kNoPosition;
  return m_bookmarks[number - 1];
}

// ---- search ----

bool TextDocument::WordAt(size_t pos, size_t length) const {
  if (pos > 0 && IsWordChar(static_cast<unsigned char>(At(pos - 1)))) return false;
  return pos + length >= Size() || !IsWordChar(static_cast<unsigned char>(At(pos + length)));
}

size_t TextDocument::Search(std::string_view text, size_t from, SearchFlags flags) {
  if (text.empty() || text.size() > Size()) return kNoPosition;
  const std::string_view hay = m_text.Contiguous();
  const bool matchCase = Has(flags, SearchFlags::MatchCase);
  std::string needle(text);
  if (!matchCase) {
    for (char& c : needle) c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  }
  auto matches = [&](size_t at) {
    if (matchCase) {
      if (std::memcmp(hay.data() + at, needle.data(), needle.size()) != 0) return false;
    } else {
      for (size_t k = 0; k < needle.size(); ++k) {
        if (FoldCase(static_cast<unsigned char>(hay[at + k])) !=
            static_cast<unsigned char>(needle[k]))
          return false;
      }
    }
    return !Has(flags, SearchFlags::WholeWord) || WordAt(at, needle.size());
  };
  const size_t lastStart = hay.size() - needle.size();
  // Every byte that folds to the needle's first byte starts a candidate.
  bool starts[256] = {};
  for (int c = 0; c < 256; ++c) {
    starts[c] = matchCase ? c == static_cast<unsigned char>(needle[0])
                          : FoldCase(static_cast<unsigned char>(c)) == static_cast<unsigned char>(needle[0]);
  }
  if (Has(flags, SearchFlags::Backward)) {
    if (from < needle.size()) return kNoPosition;
    for (size_t at = std::min(from - needle.size(), lastStart) + 1; at-- > 0;) {
      if (starts[static_cast<unsigned char>(hay[at])] && matches(at)) return at;
    }
    return kNoPosition;
  }
  if (matchCase) {
    for (size_t at = hay.find(text, from); at != std::string_view::npos;
         at = hay.find(text, at + 1)) {
      if (matches(at)) return at;
    }
    return kNoPosition;
  }
  for (size_t at = from; at <= lastStart; ++at) {
    if (starts[static_cast<unsigned char>(hay[at])] && matches(at)) return at;
  }
  return kNoPosition;
}

bool TextDocument::Find(std::string_view text, SearchFlags flags) {
  const bool backward = Has(flags, SearchFlags::Backward);
  const size_t at = Search(text, backward ? SelectionFrom() : SelectionTo(), flags);
  if (at == kNoPosition) return false;
  if (backward) {
    SetSelectionBytes(at + text.size(), at);
  } else {
    SetSelectionBytes(at, at + text.size());
  }
  return true;
}

int32_t TextDocument::ReplaceHits(std::string_view text, std::string_view with, SearchFlags flags) {
  if (text.empty()) return -1;
  if (Has(flags, SearchFlags::ReplaceAll)) {
    const SearchFlags forward = static_cast<SearchFlags>(static_cast<uint32_t>(flags) &
        static_cast<uint32_t>(SearchFlags::MatchCase | SearchFlags::WholeWord));
    std::vector<size_t> hits;
    for (size_t at = Search(text, 0, forward); at != kNoPosition;
         at = Search(text, at + text.size(), forward)) {
      hits.push_back(at);
    }
    if (hits.empty()) return -1;
    // The replacements are never searched again.
    std::vector<Edit> edits;
    edits.reserve(hits.size());
    for (size_t hit : hits) edits.push_back({hit, text.size(), std::string(with)});
    ReplaceMany(edits);
    return static_cast<int32_t>(hits.size());
  }
  const bool matchCase = Has(flags, SearchFlags::MatchCase);
  auto selectionIsHit = [&] {
    if (SelectionTo() - SelectionFrom() != text.size()) return false;
    const std::string selected = SelectedText();
    for (size_t k = 0; k < text.size(); ++k) {
      unsigned char a = static_cast<unsigned char>(selected[k]);
      unsigned char b = static_cast<unsigned char>(text[k]);
      if (!matchCase) {
        a = FoldCase(a);
        b = FoldCase(b);
      }
      if (a != b) return false;
    }
    return true;
  };
  if (!selectionIsHit() && !Find(text, flags)) return -1;
  const bool backward = Has(flags, SearchFlags::Backward);
  const size_t at = SelectionFrom();
  Replace(at, text.size(), with);
  if (backward) SetCaret(at);
  Find(text, flags);
  return 1;
}

}  // namespace talven::editor
