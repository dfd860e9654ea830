#include "engine/keywords.h"

#include <array>

#include "engine/statements.h"

namespace talven {

namespace {

constexpr Keyword kKeywords[] = {
#define TALVEN_KEYWORD(word, code, handler) {word, code, &handler},
#include "engine/keywords.def"
#undef TALVEN_KEYWORD
};

}  // namespace

std::span<const Keyword> Keywords() { return kKeywords; }

int FindKeyword(std::string_view word, size_t first) {
  // Deliberate: an exact comparison in table order. The first equal keyword wins, which
  // matters only for the position a CASE search resumes from; a hash would lose nothing
  // here, but the table is short and the loop sees each word once per statement.
  for (size_t i = first; i < std::size(kKeywords); ++i) {
    if (kKeywords[i].word == word) return static_cast<int>(i);
  }
  return -1;
}

const Keyword* KeywordForCode(uint8_t code) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.code == code) return &keyword;
  }
  return nullptr;
}

}  // namespace talven
