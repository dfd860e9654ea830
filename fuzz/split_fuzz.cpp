// Split, the loader's line cleaning and the separator searches on arbitrary bytes.

#include <cstdint>
#include <string>

#include "engine/loader.h"
#include "engine/scan.h"
#include "engine/split.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 600) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string line = talven::CleanSourceLine(text);
  const talven::SplitLine split = talven::Split(line);
  if (split.param.size() > 255 && line.size() <= 254) __builtin_trap();
  for (auto form : {talven::LineForm::Source, talven::LineForm::Compiled}) {
    const size_t at = talven::FindSeparator(text, ",;:", form);
    if (at != talven::kNotFound && at >= text.size()) __builtin_trap();
    talven::FindCommentStart(text, form);
  }
  talven::HasOpenString(text);
  talven::BracketsBalanced(text);
  return 0;
}
