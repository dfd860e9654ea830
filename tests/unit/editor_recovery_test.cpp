#include <gtest/gtest.h>

#include <map>
#include <set>

#include "editor/recovery.h"

namespace talven::editor {
namespace {

// A settings file in memory, cutting values like a profile buffer of the given size.
class MemoryProfile : public ProfileStore {
 public:
  std::map<std::string, std::string> values;
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback,
                   size_t bufferSize) override {
    auto it = values.find(std::string(section) + "." + std::string(key));
    std::string value = it == values.end() ? std::string(fallback) : it->second;
    return value.substr(0, bufferSize - 1);
  }
  void Write(std::string_view section, std::string_view key, std::string_view value) override {
    values[std::string(section) + "." + std::string(key)] = value;
  }
  void Remove(std::string_view section, std::string_view key) override {
    values.erase(std::string(section) + "." + std::string(key));
  }
};

TEST(EditorRecovery, IdleSecondsSetting) {
  MemoryProfile ini;
  EXPECT_EQ(ReadRecoverySeconds(ini), 60);
  for (const char* bad : {"0", "-5", "3601", "x", "", "99999999999"}) {
    ini.values["Optionen.Sicherung"] = bad;
    EXPECT_EQ(ReadRecoverySeconds(ini), 60) << bad;
  }
  ini.values["Optionen.Sicherung"] = "1";
  EXPECT_EQ(ReadRecoverySeconds(ini), 1);
  ini.values["Optionen.Sicherung"] = "3600";
  EXPECT_EQ(ReadRecoverySeconds(ini), 3600);
}

TEST(EditorRecovery, CopyNames) {
  std::set<std::string> taken;
  auto isTaken = [&](const std::string& name) { return taken.count(name) != 0; };
  EXPECT_EQ(RecoveryFileName("C:\\work\\a.tvs", 1, "C:\\TEMP\\", isTaken), "C:\\work\\a.~tv");
  EXPECT_EQ(RecoveryFileName("C:\\work\\LIESMICH", 1, "C:\\TEMP\\", isTaken), "C:\\work\\LIESMICH.~tv");
  // A dot in a folder name is no extension.
  EXPECT_EQ(RecoveryFileName("C:\\v1.2\\make", 1, "C:\\TEMP\\", isTaken), "C:\\v1.2\\make.~tv");
  // a.tvs and a.inc would share a.~tv: the second window keeps its whole name.
  taken.insert("C:\\work\\a.~tv");
  EXPECT_EQ(RecoveryFileName("C:\\work\\a.inc", 2, "C:\\TEMP\\", isTaken), "C:\\work\\a.inc.~tv");
  // A file that is itself called NAME.~tv never becomes its own copy.
  EXPECT_EQ(RecoveryFileName("C:\\work\\b.~TV", 1, "C:\\TEMP\\", nullptr), "C:\\work\\b.~TV.~tv");
  // Untitled windows each get their own copy in the temporary folder.
  EXPECT_EQ(RecoveryFileName(kUntitled, 7, "C:\\TEMP\\", isTaken), "C:\\TEMP\\OhneName7.~tv");
  EXPECT_NE(RecoveryFileName(kUntitled, 8, "C:\\TEMP\\", isTaken), RecoveryFileName(kUntitled, 7, "C:\\TEMP\\", isTaken));
}

TEST(EditorRecovery, EntriesRoundTripAndRejectGarbage) {
  RecoveryEntry entry{3, 4711, "C:\\work\\a.~tv", "C:\\work\\a.tvs"};
  const auto parsed = ParseRecoveryValue(3, RecoveryValue(entry));
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->slot, 3);
  EXPECT_EQ(parsed->process, 4711u);
  EXPECT_EQ(parsed->copy, entry.copy);
  EXPECT_EQ(parsed->original, entry.original);
  // Anything else in the section is left alone: never offered, never deleted.
  for (const char* bad : {"", "|", "1|a.~tv", "x|a.~tv|a.tvs", "1|a.~tv|a.tvs|b", "1||a.tvs", "1|a.~tv|",
                          "99999999999|a.~tv|a.tvs", "1|C:\\WINDOWS\\win.ini|a.tvs", "|a.~tv|a.tvs"}) {
    EXPECT_FALSE(ParseRecoveryValue(1, bad).has_value()) << bad;
  }
}

TEST(EditorRecovery, SlotsAndTheList) {
  MemoryProfile ini;
  EXPECT_EQ(FreeRecoverySlot(ini, {}), 1);
  EXPECT_EQ(FreeRecoverySlot(ini, {1, 2}), 3);
  WriteRecoveryEntry(ini, {1, 10, "C:\\a.~tv", "C:\\a.tvs"});
  WriteRecoveryEntry(ini, {3, 10, "C:\\TEMP\\OhneName3.~tv", kUntitled});
  ini.values["Wiederherstellen.2"] = "garbage";
  // A slot holding garbage is not taken over either.
  EXPECT_EQ(FreeRecoverySlot(ini, {}), 4);
  const auto entries = ReadRecoveryEntries(ini);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].slot, 1);
  EXPECT_EQ(entries[1].original, kUntitled);
  RemoveRecoveryEntry(ini, 1);
  EXPECT_EQ(ReadRecoveryEntries(ini).size(), 1u);
  EXPECT_EQ(FreeRecoverySlot(ini, {}), 1);
  // All 255 slots used: none is left.
  for (int32_t slot = 1; slot <= kMaxWindows; ++slot) WriteRecoveryEntry(ini, {slot, 1, "x.~tv", "x"});
  EXPECT_EQ(FreeRecoverySlot(ini, {}), 0);
}

TEST(EditorRecovery, QuestionNamesAtMostTenFiles) {
  std::vector<RecoveryEntry> entries;
  for (int i = 1; i <= 12; ++i) entries.push_back({i, 1, "f.~tv", "F" + std::to_string(i) + ".TVS"});
  const std::string text = RecoveryQuestion(entries);
  EXPECT_EQ(text.rfind("Der Editor wurde nicht ordnungsgem\xE4\xDF beendet.", 0), 0u);
  EXPECT_NE(text.find("\nF10.TVS"), std::string::npos);
  EXPECT_EQ(text.find("F11.TVS"), std::string::npos);
  EXPECT_NE(text.find("\n..."), std::string::npos);
}

}  // namespace
}  // namespace talven::editor
