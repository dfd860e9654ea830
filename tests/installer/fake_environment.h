#pragma once
// A machine for the script reader: INI values, file dates, the platform and environment
// variables, all set by the test.

#include <map>
#include <string>
#include <tuple>

#include "installer/setup_script.h"

namespace talven::installer::test {

class FakeEnvironment : public ScriptEnvironment {
 public:
  std::string ReadIni(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& defaultValue, int32_t maxLength) override {
    const auto found = ini.find({Upper(file), Upper(section), Upper(key)});
    const std::string value = found == ini.end() ? defaultValue : found->second;
    return value.substr(0, static_cast<size_t>(maxLength));
  }
  bool FileDate(const std::string& path, int32_t& year, int32_t& month, int32_t& day) override {
    const auto found = dates.find(Upper(path));
    if (found == dates.end()) return false;
    year = std::get<0>(found->second);
    month = std::get<1>(found->second);
    day = std::get<2>(found->second);
    return true;
  }
  bool IsWindowsNt() override { return nt; }
  bool Environment(const std::string& name, std::string& value) override {
    const auto found = variables.find(name);
    if (found == variables.end()) return false;
    value = found->second;
    return true;
  }

  std::map<std::tuple<std::string, std::string, std::string>, std::string> ini;  // upper-case keys
  std::map<std::string, std::tuple<int32_t, int32_t, int32_t>> dates;
  std::map<std::string, std::string> variables;
  bool nt = true;
};

}  // namespace talven::installer::test
