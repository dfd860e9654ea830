// The setup-script reader on arbitrary bytes: compaction, sections, conditions, fields,
// values with $INI(, dotted names, numbers, directory names and expansion, and the flow's
// work count and text formatting over what was read.

#include <cstdint>
#include <string>

#include "installer/setup_flow.h"
#include "installer/setup_script.h"
#include "tests/installer/fake_environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talven::installer;
  const std::string text(reinterpret_cast<const char*>(data), size);
  test::FakeEnvironment environment;
  environment.ini[{"WIN.INI", "WINDOWS", "DEVICE"}] = "Drucker";
  environment.dates["DRUCKER"] = {2026, 3, 15};
  environment.variables["TEMP"] = "C:\\TMP";
  environment.nt = size % 2 == 0;
  SetupScript script(environment);
  if (!script.Load(text)) return 0;
  script.ChooseModule("Extra");
  SetupPlaces places{"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\ZIEL", "A:\\", {}, {}};
  ReadDisks(script, places);
  const std::vector<std::string>& lines = script.AllLines();
  for (size_t i = 0; i < lines.size() && i < 200; ++i) {
    const std::string& line = lines[i];
    std::string rest;
    script.Condition(line, rest);
    for (int32_t n = 0; n < 6; ++n) {
      bool exists = false;
      const std::string field = Field(line, n, &exists);
      ReplaceDirectoryNames(field, places);
      ExpandText(QuotedField(line, n), places, environment);
      ParseNumber(field);
      FormatText(field, {field, static_cast<int64_t>(n)});
    }
    if (line[0] == '[') {
      const std::string name = line.substr(1, line.find(']') - 1);
      for (const std::string& sectionLine : script.Lines(name)) {
        std::string value;
        script.Value(name, Field(sectionLine, 0), value);
        script.DottedValue(name + "." + Field(sectionLine, 0), value);
      }
    }
  }
  return 0;
}
