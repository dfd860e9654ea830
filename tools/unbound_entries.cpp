// Lists the entries of the statement, function and system-variable tables that no family
// of the full profile binds yet: what is left to build. One "kind NAME" per line; with
// --count only the numbers.

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "engine/binding.h"
#include "library/families.h"

int main(int argc, char** argv) {
  const std::vector<std::string> unbound = talven::UnboundEntries(talven::AllFamilies());
  if (argc > 1 && std::strcmp(argv[1], "--count") == 0) {
    std::map<std::string, int> counts;
    for (const std::string& entry : unbound) ++counts[entry.substr(0, entry.find(' '))];
    for (const auto& [kind, count] : counts) std::printf("%s %d\n", kind.c_str(), count);
    return 0;
  }
  for (const std::string& entry : unbound) std::printf("%s\n", entry.c_str());
  return 0;
}
