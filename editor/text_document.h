#pragma once
// The text of one edit window: CP1252 bytes in a gap buffer, the index of line starts,
// caret and selection, undo and redo, ten bookmarks and the search.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talven::editor {

// Bytes with a movable hole, so that typing at one place costs no copying of the rest.
class GapBuffer {
 public:
  size_t Size() const { return m_data.size() - (m_gapEnd - m_gapStart); }
  char At(size_t pos) const { return pos < m_gapStart ? m_data[pos] : m_data[pos + GapLength()]; }
  void Assign(std::string_view text);
  void Insert(size_t pos, std::string_view text);
  void Erase(size_t pos, size_t length);
  std::string Slice(size_t pos, size_t length) const;
  // The whole text in one piece (the gap moves to the end).
  std::string_view Contiguous();

 private:
  size_t GapLength() const { return m_gapEnd - m_gapStart; }
  void MoveGap(size_t pos);
  void Reserve(size_t extra);
  std::string m_data;
  size_t m_gapStart = 0;
  size_t m_gapEnd = 0;
};

enum class SearchFlags : uint32_t {
  None = 0,
  Backward = 1,
  MatchCase = 2,
  WholeWord = 4,
  Replace = 8,
  ReplaceAll = 16,
};
constexpr SearchFlags operator|(SearchFlags a, SearchFlags b) {
  return static_cast<SearchFlags>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool Has(SearchFlags set, SearchFlags flag) {
  return (static_cast<uint32_t>(set) & static_cast<uint32_t>(flag)) != 0;
}

// A place as the window sees it: line and display column, both from 1.
struct LineColumn {
  int32_t line = 1;
  int32_t column = 1;
  bool operator==(const LineColumn&) const = default;
};

struct Selection {
  bool exists = false;
  LineColumn start;
  LineColumn end;
};

class TextDocument {
 public:
  static constexpr int kBookmarks = 10;
  static constexpr size_t kNoPosition = static_cast<size_t>(-1);

  TextDocument() {
    m_lineStarts.push_back(0);
    m_bookmarks.fill(kNoPosition);
  }

  // Replaces the whole text without an undo step; the text counts as saved.
  void Load(std::string_view bytes);
  std::string Bytes() const { return m_text.Slice(0, m_text.Size()); }
  size_t Size() const { return m_text.Size(); }
  char At(size_t pos) const { return m_text.At(pos); }

  // Lines, counted from 0 here; a line ends at CR LF, LF or a lone CR.
  int32_t LineCount() const { return static_cast<int32_t>(m_lineStarts.size()); }
  size_t LineStart(int32_t line) const { return m_lineStarts[line]; }
  size_t LineEnd(int32_t line) const;  // before the line end
  std::string LineText(int32_t line) const;
  int32_t LineOf(size_t pos) const;

  int32_t TabWidth() const { return m_tabWidth; }
  void SetTabWidth(int32_t width) {
    m_tabWidth = width < 1 ? 1 : width;
    ++m_revision;
  }
  // Counts every change of the text or of how it is shown (tab width), for the views'
  // caches.
  uint64_t Revision() const { return m_revision; }
  // The line as shown: tabs expanded to blanks.
  std::string DisplayText(int32_t line) const;
  LineColumn PlaceOf(size_t pos) const;
  // The byte position of a line and display column (both from 1), clamped into the text.
  size_t PositionOf(LineColumn place) const;

  // Caret and selection (the selection runs between anchor and caret).
  size_t Caret() const { return m_caret; }
  size_t Anchor() const { return m_anchor; }
  void SetCaret(size_t pos) { m_caret = m_anchor = Clamp(pos); }
  void SetSelectionBytes(size_t anchor, size_t caret) {
    m_anchor = Clamp(anchor);
    m_caret = Clamp(caret);
  }
  bool HasSelection() const { return m_anchor != m_caret; }
  size_t SelectionFrom() const { return m_anchor < m_caret ? m_anchor : m_caret; }
  size_t SelectionTo() const { return m_anchor < m_caret ? m_caret : m_anchor; }
  std::string SelectedText() const { return m_text.Slice(SelectionFrom(), SelectionTo() - SelectionFrom()); }
  Selection GetSelection() const;
  void SetSelection(LineColumn start, LineColumn end);
  LineColumn CaretPlace() const { return PlaceOf(m_caret); }
  void CollapseSelectionToEnd() { m_caret = m_anchor = SelectionTo(); }
  void SelectAll() { SetSelectionBytes(0, Size()); }

  // Editing. Every change goes through Replace, which records undo.
  void Replace(size_t pos, size_t length, std::string_view text);
  // Inserts at the caret over the selection; a lone CR or LF becomes CR LF.
  void InsertText(std::string_view text);
  // One typed character: grouped with the characters typed just before it.
  void TypeChar(char c, bool overwrite = false);
  // Enter with auto-indent: the new line takes the blanks and tabs leading the old one.
  void NewLine(bool autoIndent = true);
  void DeleteSelection();
  void DeleteAll();
  void Backspace();
  void DeleteForward();

  // Changes at several places, sorted and not overlapping, made as one change over their
  // span: one undo step, one update of the line index; bookmarks move as with single edits.
  struct Edit {
    size_t pos;
    size_t length;
    std::string text;
  };
  void ReplaceMany(const std::vector<Edit>& edits);

  // Several changes that undo as one step.
  void BeginGroup();
  void EndGroup();

  bool CanUndo() const { return m_undoPos > 0; }
  bool CanRedo() const { return m_undoPos < m_actions.size(); }
  void Undo();
  void Redo();
  bool Modified() const { return m_undoPos != m_savePoint; }
  void SetModified(bool modified);

  void SetBookmark(int number, size_t pos);
  // The bookmark's place, or kNoPosition when it was never set.
  size_t Bookmark(int number) const;

  // Search from the caret; on a hit the found text becomes the selection.
  bool Find(std::string_view text, SearchFlags flags);
  // Replace: the selection, when it is the search text, is replaced and the next one is
  // found. Replace-all replaces every hit of the whole text as one undo step without
  // looking into what it inserted. Returns the number replaced, or -1 when nothing was found.
  int32_t ReplaceHits(std::string_view text, std::string_view with, SearchFlags flags);
  // The position of the next hit starting at `from` (backward: ending at or before it).
  size_t Search(std::string_view text, size_t from, SearchFlags flags);

 private:
  struct Action {
    size_t pos;
    std::string removed;
    std::string inserted;
    uint32_t group;
    bool typing;
  };
  size_t Clamp(size_t pos) const { return pos > Size() ? Size() : pos; }
  void Apply(size_t pos, size_t length, std::string_view text);
  void UpdateLines(size_t pos, size_t removed, size_t inserted);
  bool IsLineStart(size_t pos) const;
  bool WordAt(size_t pos, size_t length) const;

  GapBuffer m_text;
  std::vector<size_t> m_lineStarts;
  int32_t m_tabWidth = 8;
  uint64_t m_revision = 0;
  size_t m_caret = 0;
  size_t m_anchor = 0;
  std::vector<Action> m_actions;
  size_t m_undoPos = 0;
  // The undo position of the saved text; kNoPosition when no undo reaches it any more.
  size_t m_savePoint = 0;
  uint32_t m_nextGroup = 1;
  int m_groupDepth = 0;
  uint32_t m_openGroup = 0;
  std::array<size_t, kBookmarks> m_bookmarks;
};

// CP1252 case folding for the search.
unsigned char FoldCase(unsigned char c);
bool IsWordChar(unsigned char c);

}  // namespace talven::editor
