// Archives written by real zippers (Info-ZIP zip and 7-Zip's 7z, run at test time) come out
// byte for byte as they went in.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "sfx/extractor.h"
#include "sfx/sfx_texts.h"
#include "tests/sfx/fake_sfx_host.h"

namespace talven::sfx {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// The source tree every archive is made of: text, binary noise, an empty file, a larger
// file crossing several windows, a subdirectory two levels deep.
class ZipperInterop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = fs::temp_directory_path() / ("talven_sfx_interop_" + std::to_string(getpid()));
    fs::create_directories(s_dir / "src" / "sub" / "tief");
    std::mt19937 random(99);
    std::string noise(70000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "Zeile " + std::to_string(i * 7919 % 1000) + " Prüfung\r\n";
    Write("readme.txt", "Hallo Welt\r\n");
    Write("noise.bin", noise);
    Write("empty.dat", "");
    Write("sub/text.txt", text);
    Write("sub/tief/mixed.bin", text.substr(0, 50000) + noise.substr(0, 30000) + text.substr(1000, 90000));
  }
  static void TearDownTestSuite() { fs::remove_all(s_dir); }
  static void Write(const std::string& name, const std::string& content) {
    std::ofstream(s_dir / "src" / name, std::ios::binary) << content;
  }

  // Makes the archive with the given command (run inside src) and extracts it with paths.
  void RunZipper(const std::string& command, const std::string& zipName) {
    const fs::path zip = s_dir / zipName;
    fs::remove(zip);
    const std::string full = "cd '" + (s_dir / "src").string() + "' && " + command + " '" +
                             zip.string() + "' " + kFiles + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(full.c_str()), 0) << full;
    host.archive = "STUB" + ReadAll(zip);
    host.directories = {"C:\\", "C:\\OUT"};
    extractor = std::make_unique<Extractor>(host, 4);
    ASSERT_EQ(extractor->ListPass(), PassEnd::Continue);
    host.SelectAll();
  }
  void ExpectAllExtracted() {
    ASSERT_EQ(extractor->ExtractPass("C:\\Out"), PassEnd::Continue);
    EXPECT_TRUE(host.Selected().empty());
    EXPECT_EQ(host.status, texts::kAllOk);
    for (const char* name : {"readme.txt", "noise.bin", "empty.dat", "sub/text.txt", "sub/tief/mixed.bin"}) {
      std::string target = std::string("C:\\Out\\") + name;
      for (char& c : target) c = c == '/' ? '\\' : c;
      EXPECT_TRUE(host.File(target) == ReadAll(s_dir / "src" / name)) << name;
    }
  }

  static constexpr const char* kFiles = "readme.txt noise.bin empty.dat sub/text.txt sub/tief/mixed.bin";
  static fs::path s_dir;
  test::FakeSfxHost host;
  std::unique_ptr<Extractor> extractor;
};

fs::path ZipperInterop::s_dir;

TEST_F(ZipperInterop, InfoZipStored) {
  RunZipper("zip -0", "stored.zip");
  ExpectAllExtracted();
}

TEST_F(ZipperInterop, InfoZipBestWithExtraFields) {
  RunZipper("zip -9", "best.zip");
  ExpectAllExtracted();
}

TEST_F(ZipperInterop, InfoZipWithoutExtraFields) {
  RunZipper("zip -9 -X", "plain.zip");
  ExpectAllExtracted();
}

TEST_F(ZipperInterop, InfoZipWithDirectoryEntries) {
  const fs::path zip = s_dir / "tree.zip";
  fs::remove(zip);
  ASSERT_EQ(std::system(("cd '" + (s_dir / "src").string() + "' && zip -r -9 '" + zip.string() +
                         "' . >/dev/null 2>&1").c_str()), 0);
  host.archive = "STUB" + ReadAll(zip);
  host.directories = {"C:\\", "C:\\OUT"};
  extractor = std::make_unique<Extractor>(host, 4);
  extractor->ListPass();
  EXPECT_NE(host.FindInList("\\sub\\tief\\"), -1);
  host.SelectAll();
  ExpectAllExtracted();
}

TEST_F(ZipperInterop, InfoZipEncrypted) {
  RunZipper("zip -9 -P Kennwort", "secret.zip");
  host.passwords = {"Kennwort"};
  ExpectAllExtracted();
  EXPECT_EQ(host.events, (std::vector<std::string>{"password"}));
}

TEST_F(ZipperInterop, SevenZipDeflated) {
  RunZipper("7z a -tzip -mx=9", "seven.zip");
  ExpectAllExtracted();
}

TEST_F(ZipperInterop, SevenZipStoredAndEncrypted) {
  RunZipper("7z a -tzip -mx=0 -pKennwort", "seven_secret.zip");
  host.passwords = {"falsch", "Kennwort"};
  ExpectAllExtracted();
  EXPECT_EQ(host.events, (std::vector<std::string>{"password", "password"}));
}

}  // namespace
}  // namespace talven::sfx
