// Both passes of the extractor against a recording host: what the list shows, which files
// appear with which bytes, which boxes and prompts come, and what stays selected.

#include "sfx/extractor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sfx/sfx_texts.h"
#include "tests/sfx/fake_sfx_host.h"
#include "tests/sfx/zip_builder.h"

namespace talven::sfx {
namespace {

using test::ZipEntrySpec;
using Strings = std::vector<std::string>;

constexpr char kStub[] = "MZ-stub-bytes";
constexpr char kTarget[] = "C:\\Ziel";

class ExtractorTest : public testing::Test {
 protected:
  void Load(const std::string& zip) {
    host.archive = std::string(kStub) + zip;
    host.directories = {"C:\\", test::FakeSfxHost::Key(kTarget)};
    extractor = std::make_unique<Extractor>(host, sizeof(kStub) - 1);
  }
  PassEnd Open(const std::vector<ZipEntrySpec>& entries) {
    Load(test::Zip(entries));
    const PassEnd end = extractor->ListPass();
    host.SelectAll();
    return end;
  }
  PassEnd Extract(const char* directory = kTarget) { return extractor->ExtractPass(directory); }
  std::string Box(const char* title, const std::string& text) {
    return std::string("box: ") + title + " | " + text;
  }

  test::FakeSfxHost host;
  std::unique_ptr<Extractor> extractor;
};

TEST_F(ExtractorTest, ListPassNamesEntriesFromTheRootAndKeepsPathsWhenSeen) {
  Open({{"sub/a.txt", "A"}, {"b.txt", "B"}, {"sub/deep/c.txt", "C", 0}});
  EXPECT_EQ(host.Names(), (Strings{"b.txt", "\\sub\\a.txt", "\\sub\\deep\\c.txt"}));
  EXPECT_TRUE(host.pathsEnabled);
  EXPECT_TRUE(host.events.empty());

  host.pathsChecked = false;
  extractor->ListPass();
  EXPECT_EQ(host.Names(), (Strings{"a.txt", "b.txt", "c.txt"}));
  EXPECT_TRUE(host.Selected().empty());  // a rebuilt list starts unselected
}

TEST_F(ExtractorTest, RootOnlyArchiveTurnsThePathsBoxOff) {
  Open({{"a.txt", "A"}, {"b.txt", "B"}});
  EXPECT_FALSE(host.pathsChecked);
  EXPECT_FALSE(host.pathsEnabled);
  ASSERT_EQ(Extract(), PassEnd::Continue);
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "A");
  EXPECT_FALSE(host.pathsEnabled);
}

TEST_F(ExtractorTest, ArchiveProblemsFoundByTheListPass) {
  Load("this is no archive");
  EXPECT_EQ(extractor->ListPass(), PassEnd::Continue);
  EXPECT_EQ(host.events, (Strings{Box("Fehler:", "Archiv-Header nicht lesbar.")}));
  EXPECT_TRUE(host.Names().empty());

  host.events.clear();
  EXPECT_EQ(Open({{"a.txt", "A"}, {"", "nameless"}}), PassEnd::EndProgram);
  EXPECT_EQ(host.events, (Strings{Box("Archiv-Fehler:", "Dateiname nicht gefunden.")}));
}

TEST_F(ExtractorTest, ExtractsStoredDeflatedEmptyAndDirectoryEntriesWithPaths) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "Zeile " + std::to_string(i) + "\r\n";
  Open({{"sub/", "", 0}, {"sub/a.txt", "Inhalt a"}, {"b.txt", "Inhalt b", 0}, {"leer.txt", "", 0},
        {"sub/deep/big.txt", big}});
  ASSERT_EQ(Extract(), PassEnd::Continue);
  EXPECT_EQ(host.File("C:\\Ziel\\sub\\a.txt"), "Inhalt a");
  EXPECT_EQ(host.File("C:\\Ziel\\b.txt"), "Inhalt b");
  EXPECT_EQ(host.File("C:\\Ziel\\leer.txt"), "");
  EXPECT_TRUE(host.File("C:\\Ziel\\sub\\deep\\big.txt") == big);
  EXPECT_TRUE(host.directories.count("C:\\ZIEL\\SUB\\DEEP"));
  EXPECT_TRUE(host.Selected().empty());
  EXPECT_EQ(host.status, texts::kAllOk);
  EXPECT_EQ(host.pumped, 4);  // once per written file
  EXPECT_TRUE(host.events.empty());
}

TEST_F(ExtractorTest, WithoutPathsEveryFileLandsInTheTarget) {
  Open({{"sub/a.txt", "A"}, {"other/b.txt", "B"}});
  host.pathsChecked = false;
  extractor->ListPass();
  host.SelectAll();
  Extract("C:\\Ziel\\");
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "A");
  EXPECT_EQ(host.File("C:\\Ziel\\b.txt"), "B");
  EXPECT_FALSE(host.directories.count("C:\\ZIEL\\SUB"));
}

TEST_F(ExtractorTest, OnlySelectedEntriesAreWritten) {
  Open({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}});
  host.list[1].second = false;
  Extract();
  EXPECT_TRUE(host.HasFile("C:\\Ziel\\a.txt"));
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\b.txt"));
  EXPECT_TRUE(host.HasFile("C:\\Ziel\\c.txt"));
  EXPECT_EQ(host.status, texts::kAllOk);
}

// What today's zippers write: extra fields, data descriptors with and without signature.
TEST_F(ExtractorTest, SkipsExtraFieldsAndDataDescriptors) {
  ZipEntrySpec withExtra{"x.txt", "extra"};
  withExtra.extra = std::string("UT\x05\x00\x03\x01\x02\x03\x04", 9);
  ZipEntrySpec signed_{"y.txt", "descriptor"};
  signed_.descriptor = true;
  ZipEntrySpec bare{"z.txt", "bare descriptor", 0};
  bare.descriptor = true;
  bare.descriptorSignature = false;
  Open({withExtra, signed_, bare, {"last.txt", "last"}});
  EXPECT_EQ(host.Names(), (Strings{"last.txt", "x.txt", "y.txt", "z.txt"}));
  Extract();
  EXPECT_EQ(host.File("C:\\Ziel\\x.txt"), "extra");
  EXPECT_EQ(host.File("C:\\Ziel\\y.txt"), "descriptor");
  EXPECT_EQ(host.File("C:\\Ziel\\z.txt"), "bare descriptor");
  EXPECT_EQ(host.File("C:\\Ziel\\last.txt"), "last");
}

TEST_F(ExtractorTest, StreamedEntryIsReportedAndNeverMisread) {
  ZipEntrySpec streamed{"streamed.txt", "no sizes"};
  streamed.descriptor = true;
  streamed.sizesInHeader = false;
  Open({{"a.txt", "A"}, streamed, {"b.txt", "B"}});
  EXPECT_EQ(host.events, (Strings{Box("Größe fehlt im Archiv-Header:", "streamed.txt")}));
  EXPECT_EQ(host.Names(), (Strings{"a.txt", "streamed.txt"}));
  host.events.clear();
  Extract();
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "A");
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\streamed.txt"));
  EXPECT_EQ(host.Selected(), (Strings{"streamed.txt"}));
  EXPECT_EQ(host.status, texts::kSomeFailed);
}

TEST_F(ExtractorTest, OnePasswordServesFollowingEntries) {
  ZipEntrySpec first{"a.txt", "geheim a", 8, "Kennwort"};
  ZipEntrySpec second{"b.txt", "geheim b", 0, "Kennwort", true};  // check byte from the time
  Open({first, second, {"open.txt", "offen"}});
  host.passwords = {"Kennwort"};
  Extract();
  EXPECT_EQ(host.events, (Strings{"password"}));
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "geheim a");
  EXPECT_EQ(host.File("C:\\Ziel\\b.txt"), "geheim b");
  EXPECT_EQ(host.status, texts::kAllOk);

  // The password is kept for the next pass as well.
  host.SelectAll();
  host.files.clear();
  host.events.clear();
  extractor->SetMode(OverwriteMode::Always);
  Extract();
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(host.File("C:\\Ziel\\b.txt"), "geheim b");
}

TEST_F(ExtractorTest, ThreeWrongPasswordsEndThePass) {
  Open({{"a.txt", "A"}, {"b.txt", "geheim", 8, "richtig"}, {"c.txt", "C"}});
  host.status = "vorher";
  host.passwords = {"falsch", "", "auch falsch", "richtig"};
  EXPECT_EQ(Extract(), PassEnd::Continue);
  EXPECT_EQ(host.events, (Strings{"password", "password", "password"}));
  EXPECT_EQ(host.Selected(), (Strings{"b.txt", "c.txt"}));
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\b.txt"));
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\c.txt"));
  EXPECT_EQ(host.status, "Entpacke: C:\\Ziel\\a.txt");  // no closing text
}

TEST_F(ExtractorTest, OverwriteModes) {
  Open({{"a.txt", "neu a"}, {"b.txt", "neu b"}, {"c.txt", "neu c"}, {"d.txt", "neu d"}});
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) host.files["C:\\ZIEL\\" + test::FakeSfxHost::Key(name)] = "alt";
  // Ask: yes for a, no for b together with "don't ask again": c is then kept silently.
  host.overwriteAnswers = {{Answer::Yes, false}, {Answer::No, true}};
  Extract();
  EXPECT_EQ(host.events, (Strings{"ask: a.txt", "ask: b.txt"}));
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "neu a");
  EXPECT_EQ(host.File("C:\\Ziel\\b.txt"), "alt");
  EXPECT_EQ(host.File("C:\\Ziel\\c.txt"), "alt");
  EXPECT_EQ(host.File("C:\\Ziel\\d.txt"), "neu d");
  EXPECT_EQ(extractor->Mode(), OverwriteMode::Never);
  EXPECT_EQ(host.shownMode, OverwriteMode::Never);
  EXPECT_TRUE(host.Selected().empty());  // kept files leave the list too
  EXPECT_EQ(host.status, texts::kAllOk);

  // "Yes" with "don't ask again" switches to always.
  extractor->SetMode(OverwriteMode::Ask);
  host.SelectAll();
  host.events.clear();
  host.overwriteAnswers = {{Answer::Yes, true}};
  Extract();
  EXPECT_EQ(host.events, (Strings{"ask: a.txt"}));
  EXPECT_EQ(host.File("C:\\Ziel\\c.txt"), "neu c");
  EXPECT_EQ(host.shownMode, OverwriteMode::Always);
}

// Whatever goes wrong with an entry, an existing file of that name keeps its bytes.
TEST_F(ExtractorTest, FailedEntriesLeaveExistingFilesAlone) {
  const std::string content(5000, 'q');
  ZipEntrySpec badCrc{"crc.txt", content};
  badCrc.crc = 0x12345678;
  ZipEntrySpec damaged{"damaged.txt", content};
  damaged.data = std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
  ZipEntrySpec tooLong{"long.txt", content};
  tooLong.data = test::RawDeflate(content + content);
  ZipEntrySpec farBack{"far.txt", "abc"};
  farBack.data = std::string("\x4B\x04\x62\x00", 4);  // a fixed block matching before its start
  ZipEntrySpec wrongKey{"key.txt", content, 0, "eins"};
  Open({badCrc, damaged, tooLong, farBack, wrongKey, {"ok.txt", "fine"}});
  for (const char* name : {"crc.txt", "damaged.txt", "long.txt", "far.txt", "key.txt", "ok.txt"}) {
    host.files["C:\\ZIEL\\" + test::FakeSfxHost::Key(name)] = "alt";
  }
  extractor->SetMode(OverwriteMode::Always);
  host.passwords = {"zwei", "drei", "vier"};
  Extract();
  for (const char* name : {"crc.txt", "damaged.txt", "long.txt", "far.txt", "key.txt"}) {
    EXPECT_EQ(host.File(std::string("C:\\Ziel\\") + name), "alt") << name;
  }
  EXPECT_EQ(host.File("C:\\Ziel\\ok.txt"), "alt");  // the pass ended at the password
  EXPECT_EQ(host.Selected(), (Strings{"crc.txt", "damaged.txt", "far.txt", "key.txt", "long.txt", "ok.txt"}));
  EXPECT_FALSE(host.outputOpen);
}

TEST_F(ExtractorTest, ChecksumErrorsAreReportedAtTheEnd) {
  ZipEntrySpec badCrc{"crc.txt", "content"};
  badCrc.crc = 1;
  Open({badCrc, {"ok.txt", "fine"}});
  Extract();
  EXPECT_EQ(host.File("C:\\Ziel\\ok.txt"), "fine");
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\crc.txt"));
  EXPECT_EQ(host.Selected(), (Strings{"crc.txt"}));
  EXPECT_EQ(host.status, texts::kSomeFailed);
}

TEST_F(ExtractorTest, ArchiveCutInsideAnEntry) {
  const std::string zip = test::Zip({{"a.txt", "A"}, {"b.txt", std::string(3000, 'b'), 0}});
  Load(zip.substr(0, zip.size() - 46 - 1000));
  extractor->ListPass();
  host.SelectAll();
  Extract();
  EXPECT_EQ(host.File("C:\\Ziel\\a.txt"), "A");
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\b.txt"));
  EXPECT_EQ(host.Selected(), (Strings{"b.txt"}));
}

TEST_F(ExtractorTest, UnknownMethodEndsTheProgram) {
  host.files["C:\\ZIEL\\X.TXT"] = "alt";
  Open({{"x.txt", "packed", 12}});
  extractor->SetMode(OverwriteMode::Always);
  EXPECT_EQ(Extract(), PassEnd::EndProgram);
  EXPECT_EQ(host.events, (Strings{Box("Pack-Fehler:", "Unbekannte Pack-Methode.")}));
  EXPECT_EQ(host.File("C:\\Ziel\\x.txt"), "alt");
}

TEST_F(ExtractorTest, HostileNamesAreRefusedAndStaySelected) {
  const Strings hostile = {"../x.txt", "..\\y.txt", "C:\\z.txt", "\\w.txt", "/etc/x", "NUL",
                           "sub/../../v.txt"};
  std::vector<ZipEntrySpec> entries;
  for (const std::string& name : hostile) entries.push_back({name, "evil"});
  entries.push_back({"sub/good.txt", "good"});
  Open(entries);
  Extract();
  Strings expected;
  for (const std::string& name : hostile) expected.push_back(Box("Unzulässiger Dateiname:", name));
  EXPECT_EQ(host.events, expected);
  EXPECT_EQ(host.File("C:\\Ziel\\sub\\good.txt"), "good");
  EXPECT_EQ(host.files.size(), 1u);
  EXPECT_EQ(host.Selected().size(), hostile.size());
  EXPECT_EQ(host.status, texts::kSomeFailed);
}

TEST_F(ExtractorTest, Utf8NamesAreListedAndWrittenInAnsi) {
  ZipEntrySpec flagged{"Gr\xC3\xB6\xC3\x9F" "e.txt", "flagged"};
  flagged.flags = kFlagUtf8Name;
  Open({flagged, {"sub/\xC3\x84rger.txt", "unflagged"}});
  EXPECT_EQ(host.Names(), (Strings{"Größe.txt", "\\sub\\Ärger.txt"}));
  Extract();
  EXPECT_EQ(host.File("C:\\Ziel\\Größe.txt"), "flagged");
  EXPECT_EQ(host.File("C:\\Ziel\\sub\\Ärger.txt"), "unflagged");
}

TEST_F(ExtractorTest, CutNamesAreRefused) {
  const std::string longName = std::string(300, 'n') + ".txt";
  Open({{std::string("a.txt\0.exe", 10), "zero"}, {longName, "long"}, {"ok.txt", "ok"}});
  Extract();
  EXPECT_EQ(host.events, (Strings{Box("Unzulässiger Dateiname:", "a.txt"),
                                  Box("Unzulässiger Dateiname:", std::string(255, 'n'))}));
  EXPECT_EQ(host.files.size(), 1u);
  EXPECT_EQ(host.File("C:\\Ziel\\ok.txt"), "ok");
}

TEST_F(ExtractorTest, DirectoryAndFileCreationFailures) {
  Open({{"a.txt", "A"}, {"sub/b.txt", "B"}, {"c.txt", "C"}});
  host.files["C:\\ZIEL\\SUB"] = "a file in the way";
  host.readOnly.insert("C:\\ZIEL\\A.TXT");
  Extract();
  EXPECT_EQ(host.events, (Strings{Box("Kann Datei nicht öffnen:", "C:\\Ziel\\a.txt"),
                                  Box("Verzeichnis-Fehler:", "C:\\Ziel\\sub")}));
  EXPECT_FALSE(host.HasFile("C:\\Ziel\\c.txt"));  // the pass ended at the directory
  EXPECT_EQ(host.Selected(), (Strings{"a.txt", "c.txt", "\\sub\\b.txt"}));
}

TEST_F(ExtractorTest, MissingTargetDirectoriesAreCreated) {
  Open({{"a/b/c.txt", "C"}});
  Extract("C:\\Neu\\Tief");
  EXPECT_EQ(host.File("C:\\Neu\\Tief\\a\\b\\c.txt"), "C");
  for (const char* directory : {"C:\\NEU", "C:\\NEU\\TIEF", "C:\\NEU\\TIEF\\A", "C:\\NEU\\TIEF\\A\\B"}) {
    EXPECT_TRUE(host.directories.count(directory)) << directory;
  }
}

}  // namespace
}  // namespace talven::sfx
