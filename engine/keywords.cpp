#include "engine/keywords.h"

#include <array>
#include <unordered_map>

namespace talven {

namespace {

constexpr Keyword kKeywords[] = {
#define TALVEN_KEYWORD(word, code, name) {word, code},
#include "engine/keywords.def"
#undef TALVEN_KEYWORD
};

}  // namespace

std::span<const Keyword> Keywords() { return kKeywords; }

int FindKeyword(std::string_view word, size_t first) {
  // The first equal keyword of the table wins; no word occurs twice, so the index of
  // each word answers every search that starts at or before it.
  static const std::unordered_map<std::string_view, int> kIndex = [] {
    std::unordered_map<std::string_view, int> index;
    for (size_t i = 0; i < std::size(kKeywords); ++i) {
      index.emplace(kKeywords[i].word, static_cast<int>(i));
    }
    return index;
  }();
  const auto found = kIndex.find(word);
  if (found == kIndex.end() || static_cast<size_t>(found->second) < first) return -1;
  return found->second;
}

const Keyword* KeywordForCode(uint8_t code) {
  if (code == 0) return nullptr;
  for (const Keyword& keyword : kKeywords) {
    if (keyword.code == code) return &keyword;
  }
  return nullptr;
}

}  // namespace talven
