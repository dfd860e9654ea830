// The LHA reader: CRC-16, DOS times, archives made by jlha, hand-made headers and bit
// streams aimed at every check, safe target names and failures while writing.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/crc16.h"
#include "installer/lha_archive.h"
#include "tests/installer/memory_lha.h"

namespace talven::installer {
namespace {

using test::MemoryArchive;
using test::MemoryFolder;

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TALVEN_LHA_FIXTURES) + "/" + name, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  EXPECT_TRUE(in.good() || in.eof()) << name;
  return buffer.str();
}

uint16_t Crc16Of(const std::string& data) {
  return Crc16().Of(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
}

void PutLittle32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct MemberSpec {
  std::string name;
  std::string data;               // the packed data as stored
  std::string method = "-lh0-";
  int64_t originalSize = -1;      // -1: the size of data
  int32_t crc = -1;               // -1: the CRC of data
  int64_t packedSize = -1;        // -1: the size of data
};

// One level-0 header and its data, with a correct checksum.
std::string Member(const MemberSpec& spec) {
  std::string header = spec.method;
  PutLittle32(header, static_cast<uint32_t>(spec.packedSize >= 0 ? spec.packedSize : static_cast<int64_t>(spec.data.size())));
  PutLittle32(header, static_cast<uint32_t>(spec.originalSize >= 0 ? spec.originalSize : static_cast<int64_t>(spec.data.size())));
  header += std::string("\x5b\x63\x6f\x58", 4);  // 2024-03-15 12:34:54
  header += '\x20';
  header += '\0';
  header += static_cast<char>(spec.name.size());
  header += spec.name;
  const uint16_t crc = spec.crc >= 0 ? static_cast<uint16_t>(spec.crc) : Crc16Of(spec.data);
  header += static_cast<char>(crc & 0xFF);
  header += static_cast<char>(crc >> 8);
  uint8_t sum = 0;
  for (char c : header) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  return std::string(1, static_cast<char>(header.size())) + static_cast<char>(sum) + header + spec.data;
}

// Sets a header byte of the archive's first member and mends its checksum.
std::string Patched(std::string archive, size_t position, char value) {
  archive[position] = value;
  uint8_t sum = 0;
  for (int i = 2; i < static_cast<uint8_t>(archive[0]) + 2; ++i) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(archive[i]));
  archive[1] = static_cast<char>(sum);
  return archive;
}

int32_t Extract(const std::string& archive, MemoryFolder& folder, std::string* failed = nullptr) {
  MemoryArchive file(archive);
  char name[260];
  const int32_t code = ExtractArchive(file, "C:\\ZIEL", folder, name, sizeof(name));
  if (failed != nullptr) *failed = name;
  EXPECT_FALSE(folder.temporaryOpen);
  return code;
}

TEST(LhaCrc, KnownValuesAndPieces) {
  EXPECT_EQ(Crc16Of("123456789"), 0xBB3D);  // CRC-16/ARC
  EXPECT_EQ(Crc16Of(""), 0);
  const Crc16 crc;
  const std::string text = "Hallo Welt, hallo Welt!";
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  uint16_t running = crc.Update(0, std::span(bytes, 5));
  running = crc.Update(running, std::span(bytes + 5, text.size() - 5));
  EXPECT_EQ(running, Crc16Of(text));
}

TEST(LhaHeader, DosTimeFields) {
  const DosTime t = DecodeDosTime(0x586F, 0x645B);
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 3);
  EXPECT_EQ(t.day, 15);
  EXPECT_EQ(t.hour, 12);
  EXPECT_EQ(t.minute, 34);
  EXPECT_EQ(t.second, 54);
}

// Archives written by jlha: stored and -lh5- members, a relabelled -lh4- member, a member
// in a sub-folder, and an archive behind a 10 kB program stub.
TEST(LhaJlhaFixtures, ExtractByteIdentical) {
  const std::string hallo = ReadFixture("HALLO.TXT");
  const std::string zahlen = ReadFixture("ZAHLEN.TXT");
  for (const char* name : {"basic.lzh", "stub.lzh"}) {
    MemoryFolder folder;
    ASSERT_EQ(Extract(ReadFixture(name), folder), kLhaOk) << name;
    EXPECT_EQ(folder.files["C:\\ZIEL\\HALLO.TXT"], hallo);
    EXPECT_EQ(folder.files["C:\\ZIEL\\ZAHLEN.TXT"], zahlen);
    EXPECT_EQ(folder.times["C:\\ZIEL\\HALLO.TXT"], 0x586F645Bu + 1);  // 12:34:56
    EXPECT_EQ(folder.extracted.size(), 2u);
  }
  MemoryFolder lh4;
  ASSERT_EQ(Extract(ReadFixture("lh4.lzh"), lh4), kLhaOk);
  EXPECT_EQ(lh4.files["C:\\ZIEL\\KLEIN.TXT"], ReadFixture("KLEIN.TXT"));
  MemoryFolder sub;
  ASSERT_EQ(Extract(ReadFixture("subdir.lzh"), sub), kLhaOk);
  EXPECT_EQ(sub.files["C:\\ZIEL\\SUB\\UNTER.TXT"], "im Unterordner\r\n");
  EXPECT_TRUE(sub.folders.count("C:\\ZIEL\\SUB"));
  MemoryFolder big;
  ASSERT_EQ(Extract(ReadFixture("big.lzh"), big), kLhaOk);  // 2.5 MB through the CRC check
  EXPECT_EQ(big.files["C:\\ZIEL\\TEXT.TXT"].size(), 2600610u);
}

TEST(LhaJlhaFixtures, ExistingFileAsksAndNoKeepsIt) {
  MemoryFolder folder;
  folder.files["C:\\ZIEL\\HALLO.TXT"] = "alt";
  folder.overwrite = false;
  ASSERT_EQ(Extract(ReadFixture("basic.lzh"), folder), kLhaOk);
  EXPECT_EQ(folder.questions, std::vector<std::string>{"C:\\ZIEL\\HALLO.TXT"});
  EXPECT_EQ(folder.files["C:\\ZIEL\\HALLO.TXT"], "alt");
  EXPECT_EQ(folder.files["C:\\ZIEL\\ZAHLEN.TXT"], ReadFixture("ZAHLEN.TXT"));
}

TEST(LhaHostile, HeadersAndSizes) {
  const std::string good = Member({"A.TXT", "inhalt"});
  MemoryFolder folder;
  EXPECT_EQ(Extract(std::string(20000, 'x') + good, folder), kLhaNoHeader);  // beyond 16384
  EXPECT_EQ(Extract("", folder), kLhaNoHeader);
  EXPECT_EQ(Extract("-lh5-", folder), kLhaNoHeader);  // "-l" must stand at offset 2 or later
  std::string badSum = good;
  badSum[1] ^= 1;
  EXPECT_EQ(Extract(badSum, folder), kLhaBadHeader);
  for (const char* method : {"-lh1-", "-lh6-", "-lh7-", "-lzs-"}) {
    EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", method}), folder), kLhaBadMethod) << method;
  }
  EXPECT_EQ(Extract(Patched(good, 20, '\x02'), folder), kLhaBadMethod);  // header level 2
  // A name longer than the header holds; a header too short for its fixed part.
  EXPECT_EQ(Extract(Patched(good, 21, '\x30'), folder), kLhaBadHeader);
  std::string tiny = good;
  tiny[0] = 10;
  EXPECT_EQ(Extract(Patched(tiny, 2, '-'), folder), kLhaBadHeader);
  // Packed size past the end, 4 GB claimed, a truncated archive, a size disagreeing with
  // the stored data.
  EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", "-lh0-", -1, -1, 7}), folder), kLhaDamaged);
  EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", "-lh5-", 0xFFFFFFFF, -1, -1}), folder), kLhaDamaged);
  EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", "-lh0-", -1, -1, 0xFFFFFFFF}), folder), kLhaDamaged);
  EXPECT_EQ(Extract(good.substr(0, 20), folder), kLhaDamaged);
  EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", "-lh0-", 5}), folder), kLhaDamaged);
  EXPECT_EQ(Extract(Member({"A.TXT", "inhalt", "-lh0-", -1, 0x1234}), folder), kLhaBadCrc);
  EXPECT_TRUE(folder.files.empty());
  // A header size of 0 ends the archive; what follows is not read.
  MemoryFolder ends;
  EXPECT_EQ(Extract(good + std::string(1, '\0') + "garbage", ends), kLhaOk);
  EXPECT_EQ(ends.files.size(), 1u);
}

TEST(LhaHostile, DamagedCompressedDataOfRealArchive) {
  const std::string archive = ReadFixture("basic.lzh");
  // Bytes of the -lh5- member's data flipped, one at a time: the member
  // never lands, the code is 2024 or 2025, and the stored member before it is kept.
  const size_t second = 58;
  for (size_t at = second + 40; at < archive.size(); at += 97) {
    std::string damaged = archive;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    MemoryFolder folder;
    const int32_t code = Extract(damaged, folder);
    EXPECT_TRUE(code == kLhaDamaged || code == kLhaBadCrc || code == kLhaOk) << at;
    if (code != kLhaOk) {
      EXPECT_EQ(folder.files.count("C:\\ZIEL\\ZAHLEN.TXT"), 0u) << at;
    }
  }
  // Cut anywhere inside the compressed data.
  for (size_t cut = second + 40; cut < archive.size(); cut += 501) {
    MemoryFolder folder;
    EXPECT_EQ(Extract(archive.substr(0, cut), folder), kLhaDamaged) << cut;
  }
}

// Writes bit fields most significant bit first.
class BitWriter {
 public:
  BitWriter& Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      m_acc = static_cast<uint8_t>(m_acc << 1 | ((value >> i) & 1));
      if (++m_count == 8) {
        m_bytes += static_cast<char>(m_acc);
        m_acc = 0;
        m_count = 0;
      }
    }
    return *this;
  }
  std::string Bytes() const {
    std::string out = m_bytes;
    if (m_count > 0) out += static_cast<char>(m_acc << (8 - m_count));
    return out + std::string(8, '\0');
  }

 private:
  std::string m_bytes;
  uint8_t m_acc = 0;
  int m_count = 0;
};

int32_t DecodeStream(const std::string& data, uint32_t originalSize) {
  MemoryFolder folder;
  return Extract(Member({"A.TXT", data, "-lh5-", originalSize}), folder);
}

TEST(LhaHostile, BadTablesInBitStreams) {
  // A block of one symbol: pre-tree and literal code of a single symbol each.
  auto start = [](BitWriter& w) { w.Put(1, 16); };
  {
    BitWriter w;  // a valid stream: one literal 'A', offsets single
    start(w);
    w.Put(0, 5).Put(0, 5).Put(0, 9).Put('A', 9).Put(0, 4).Put(0, 4);
    MemoryFolder folder;
    EXPECT_EQ(Extract(Member({"A.TXT", w.Bytes(), "-lh5-", 1, Crc16Of("A")}), folder), kLhaOk);
    EXPECT_EQ(folder.files["C:\\ZIEL\\A.TXT"], "A");
  }
  {
    BitWriter w;  // pre-tree count 20 > 19
    start(w);
    w.Put(20, 5);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // the single pre-tree symbol 19 does not exist
    start(w);
    w.Put(0, 5).Put(19, 5);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // literal count 511 > 510
    start(w);
    w.Put(0, 5).Put(3, 5).Put(511, 9);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // a zero run of 20 + 511 past the 510 literal lengths
    start(w);
    w.Put(0, 5).Put(2, 5).Put(510, 9).Put(511, 9);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // offset count 15 > 14
    start(w);
    w.Put(0, 5).Put(0, 5).Put(0, 9).Put('A', 9).Put(15, 4);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // a pre-tree length of 17
    start(w);
    w.Put(1, 5).Put(7, 3).Put(0x3FF, 10).Put(0, 1);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // three pre-tree codes of length 1: over-subscribed
    start(w);
    w.Put(3, 5).Put(1, 3).Put(1, 3).Put(1, 3).Put(0, 2);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
  {
    BitWriter w;  // a match of length 3 at distance 1 before any byte
    start(w);
    w.Put(0, 5).Put(0, 5).Put(0, 9).Put(256, 9).Put(0, 4).Put(0, 4);
    EXPECT_EQ(DecodeStream(w.Bytes(), 3), kLhaDamaged);
  }
  {
    BitWriter w;  // 'A' then a match of length 3 where only 2 bytes are declared
    start(w);
    w.Put(2, 16);
    w.Put(0, 5).Put(0, 5).Put(0, 9).Put(256, 9).Put(0, 4).Put(0, 4);
    EXPECT_EQ(DecodeStream(w.Bytes(), 2), kLhaDamaged);
  }
  {
    BitWriter w;  // a block size of 0
    w.Put(0, 16);
    EXPECT_EQ(DecodeStream(w.Bytes(), 1), kLhaDamaged);
  }
}

TEST(LhaNames, UnsafeNamesAreRefused) {
  for (const char* name : {"..\\BOESE.TXT", "../BOESE.TXT", "SUB\\..\\..\\X", "C:\\X.TXT", "C:X.TXT", "\\X.TXT",
                           "/X.TXT", "CON", "nul.txt", "Com1", "LPT9.DOC", "A\x01.TXT", "A\x1F", "A|B", "A*",
                           "SUB\\\\X", "SUB\\", ".", "X.", "X ", "...", ""}) {
    char target[260];
    int32_t ends[32];
    int32_t count = 0;
    EXPECT_EQ(PlanMemberPath("C:\\ZIEL", name, target, sizeof(target), ends, count), kLhaUnsafeName) << name;
    MemoryFolder folder;
    std::string failed;
    EXPECT_EQ(Extract(Member({name, "x"}), folder, &failed), kLhaUnsafeName) << name;
    EXPECT_EQ(failed, name);
    EXPECT_TRUE(folder.files.empty());
  }
  char target[260];
  int32_t ends[32];
  int32_t count = 0;
  ASSERT_EQ(PlanMemberPath("C:\\ZIEL", "A/B\\.\\C.TXT", target, sizeof(target), ends, count), kLhaOk);
  EXPECT_STREQ(target, "C:\\ZIEL\\A\\B\\C.TXT");
  ASSERT_EQ(count, 2);
  EXPECT_EQ(std::string(target, static_cast<size_t>(ends[0])), "C:\\ZIEL\\A");
  EXPECT_EQ(PlanMemberPath("C:\\ZIEL", std::string(251, 'A').c_str(), target, sizeof(target), ends, count), kLhaOk);
  EXPECT_EQ(PlanMemberPath("C:\\ZIEL", std::string(252, 'A').c_str(), target, sizeof(target), ends, count),
            kLhaUnsafeName);
  EXPECT_EQ(PlanMemberPath("C:\\ZIEL", "CONFIG.SYS", target, sizeof(target), ends, count), kLhaOk);
}

// A failure while writing or renaming keeps the old file byte-identical and leaves no
// temporary file.
TEST(LhaFaults, NthWriteOrCommitKeepsTheOldFile) {
  const std::string archive = ReadFixture("big.lzh");
  for (int32_t nth : {1, 2, 50, 317}) {
    MemoryFolder folder;
    folder.files["C:\\ZIEL\\TEXT.TXT"] = "alt";
    folder.failWriteAt = nth;
    EXPECT_EQ(Extract(archive, folder), kLhaCannotCreate) << nth;
    EXPECT_EQ(folder.files["C:\\ZIEL\\TEXT.TXT"], "alt");
    EXPECT_EQ(folder.discarded, 1);
  }
  // The host stopping the extraction (the user ended the setup) is code 18, not 2023, and
  // keeps the old file just the same.
  MemoryFolder stop;
  stop.files["C:\\ZIEL\\TEXT.TXT"] = "alt";
  stop.failWriteAt = 2;
  stop.stopInsteadOfFailing = true;
  EXPECT_EQ(Extract(archive, stop), kLhaStopped);
  EXPECT_EQ(stop.files["C:\\ZIEL\\TEXT.TXT"], "alt");
  EXPECT_EQ(stop.discarded, 1);
  MemoryFolder commit;
  commit.files["C:\\ZIEL\\HALLO.TXT"] = "alt";
  commit.failCommit = true;
  EXPECT_EQ(Extract(ReadFixture("basic.lzh"), commit), kLhaCannotCreate);
  EXPECT_EQ(commit.files["C:\\ZIEL\\HALLO.TXT"], "alt");
  MemoryFolder open;
  open.failOpen = true;
  std::string failed;
  EXPECT_EQ(Extract(ReadFixture("basic.lzh"), open, &failed), kLhaCannotCreate);
  EXPECT_EQ(failed, "HALLO.TXT");
  MemoryFolder folders;
  folders.failFolders = true;
  EXPECT_EQ(Extract(ReadFixture("subdir.lzh"), folders), kLhaCannotCreate);
}

}  // namespace
}  // namespace talven::installer
