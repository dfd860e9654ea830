// The byte file's own buffer: every sequence of byte and block reads and writes, seeks
// inside and outside the buffer and past the end agrees with a plain model of the file;
// the written bytes reach the file where they always did (the buffer full, a seek, a read
// after a write, the close); a write that fails is reported and loses nothing reported as
// written. Run natively and, in the Windows build, on the system's C runtime under Wine.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "library/files/byte_file.h"
#include "library/files/file_slots.h"

#if defined(__GLIBC__)
#include <unistd.h>
#endif

namespace talven {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kBlock = ByteFile::kBlock;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  char block[4096];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<size_t>(in.gcount()));
  return bytes;
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string Pattern(size_t size, int salt = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 253 + static_cast<size_t>(salt));
  return bytes;
}

class ByteFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("talven_bytefile_" + std::to_string(std::random_device{}()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_old = fs::current_path();
    fs::current_path(m_dir);
  }
  void TearDown() override {
    Streams() = StreamCalls{};
    fs::current_path(m_old);
    std::error_code error;
    fs::remove_all(m_dir, error);
  }
  fs::path m_dir;
  fs::path m_old;
};

// The model: the file's bytes and the position, as the byte operations define them.
struct Model {
  std::string bytes;
  int64_t position = 0;

  int Get() {
    if (position >= static_cast<int64_t>(bytes.size())) return -1;
    return static_cast<uint8_t>(bytes[static_cast<size_t>(position++)]);
  }
  void Put(const std::string& what) {
    const auto at = static_cast<size_t>(position);
    if (bytes.size() < at + what.size()) bytes.resize(at + what.size(), '\0');
    bytes.replace(at, what.size(), what);
    position += static_cast<int64_t>(what.size());
  }
  std::string Read(int64_t count) {
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t take = std::max<int64_t>(0, std::min(count, size - position));
    std::string got = take > 0 ? bytes.substr(static_cast<size_t>(position), static_cast<size_t>(take)) : "";
    position += take;
    return got;
  }
};

// Random mixes of every operation, sized around the buffer: short runs of bytes, blocks
// smaller and larger than the buffer, seeks near the position (inside the buffer), far
// away and past the end, and now and then a close and a new open.
TEST_F(ByteFileTest, RandomMixesAgreeWithAPlainModelOfTheFile) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto below = [&](int64_t n) { return static_cast<int64_t>(random() % static_cast<uint32_t>(n)); };
    Model model;
    model.bytes = Pattern(static_cast<size_t>(below(3 * kBlock)), static_cast<int>(seed));
    Spit("mix.bin", model.bytes);
    ByteFile file;
    int error = 0;
    ASSERT_EQ(file.Open("mix.bin", ByteAccess::Both, error), ByteOpen::Opened);
    for (int step = 0; step < 300; ++step) {
      const int64_t size = static_cast<int64_t>(model.bytes.size());
      switch (below(9)) {
        case 0:
        case 1: {  // a run of bytes read one by one
          const int64_t run = below(5) == 0 ? below(kBlock + kBlock / 2) : below(40);
          std::vector<int> got;
          std::vector<int> expected;
          for (int64_t i = 0; i < run; ++i) {
            got.push_back(file.Get());
            expected.push_back(model.Get());
          }
          ASSERT_EQ(got, expected) << "step " << step;
          break;
        }
        case 2:
        case 3: {  // a run of bytes written one by one
          const std::string run = Pattern(static_cast<size_t>(below(5) == 0 ? below(kBlock + kBlock / 2) : below(40)), step);
          bool all = true;
          for (char c : run) all = file.Put(static_cast<uint8_t>(c)) && all;
          ASSERT_TRUE(all);
          model.Put(run);
          break;
        }
        case 4: {  // a block read, small or past the buffer's size
          const int64_t count = below(2) == 0 ? below(100) : below(3 * kBlock);
          std::vector<uint8_t> into(static_cast<size_t>(count) + 1, 0xAA);
          const int64_t got = file.Read(into.data(), count);
          const std::string expected = model.Read(count);
          ASSERT_EQ(got, static_cast<int64_t>(expected.size()));
          ASSERT_EQ(std::string(into.begin(), into.begin() + got), expected);
          ASSERT_EQ(into[static_cast<size_t>(count)], 0xAA);  // nothing past the count
          break;
        }
        case 5: {  // a block write
          const std::string block = Pattern(static_cast<size_t>(below(2) == 0 ? below(100) : below(3 * kBlock)), step + 1);
          ASSERT_TRUE(file.Write(reinterpret_cast<const uint8_t*>(block.data()), static_cast<int64_t>(block.size())));
          model.Put(block);
          break;
        }
        case 6: {  // a seek near the position: mostly inside the buffer
          const int64_t to = std::max<int64_t>(0, model.position + below(200) - 100);
          ASSERT_TRUE(file.Seek(to));
          model.position = to;
          break;
        }
        case 7: {  // a seek anywhere, past the end too
          const int64_t to = below(size + 2 * kBlock + 1);
          ASSERT_TRUE(file.Seek(to));
          model.position = to;
          break;
        }
        default:  // closed and opened again: everything is in the file
          if (below(4) != 0) break;
          ASSERT_TRUE(file.Close());
          ASSERT_EQ(Slurp("mix.bin"), model.bytes) << "step " << step;
          ASSERT_EQ(file.Open("mix.bin", ByteAccess::Both, error), ByteOpen::Opened);
          model.position = 0;
          break;
      }
      ASSERT_EQ(file.Position(), model.position) << "step " << step;
      ASSERT_EQ(file.Size(), static_cast<int64_t>(model.bytes.size())) << "step " << step;
    }
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(Slurp("mix.bin"), model.bytes);
  }
}

// A write into bytes just read and a read of bytes just written, in the middle of the
// buffer and across its end; seeks inside and outside it; the end and past it.
TEST_F(ByteFileTest, SwitchingBetweenReadingAndWritingInsideAndAcrossTheBuffer) {
  const std::string old = Pattern(static_cast<size_t>(2 * kBlock + 100));
  Spit("b.bin", old);
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("b.bin", ByteAccess::Both, error), ByteOpen::Opened);
  std::string expected = old;
  // Read up to the buffer's end, write over its last byte and the first of the next.
  for (int64_t i = 0; i < kBlock - 1; ++i) ASSERT_EQ(file.Get(), static_cast<uint8_t>(old[static_cast<size_t>(i)]));
  ASSERT_TRUE(file.Put(0x11));
  ASSERT_TRUE(file.Put(0x22));
  expected[static_cast<size_t>(kBlock - 1)] = 0x11;
  expected[static_cast<size_t>(kBlock)] = 0x22;
  EXPECT_EQ(file.Get(), static_cast<uint8_t>(old[static_cast<size_t>(kBlock + 1)]));
  ASSERT_TRUE(file.Seek(kBlock - 2));  // back, and the written bytes are read
  EXPECT_EQ(file.Get(), static_cast<uint8_t>(old[static_cast<size_t>(kBlock - 2)]));
  EXPECT_EQ(file.Get(), 0x11);
  EXPECT_EQ(file.Get(), 0x22);
  // In the middle of a buffer: read, write, read.
  ASSERT_TRUE(file.Seek(100));
  EXPECT_EQ(file.Get(), static_cast<uint8_t>(old[100]));
  ASSERT_TRUE(file.Put(0x33));
  expected[101] = 0x33;
  EXPECT_EQ(file.Get(), static_cast<uint8_t>(old[102]));
  ASSERT_TRUE(file.Seek(101));
  EXPECT_EQ(file.Get(), 0x33);
  // The end: -1 and the position kept; a seek past it and a write fill the gap with 0.
  ASSERT_TRUE(file.Seek(static_cast<int64_t>(old.size()) - 1));
  EXPECT_EQ(file.Get(), static_cast<uint8_t>(old.back()));
  EXPECT_EQ(file.Get(), -1);
  EXPECT_EQ(file.Get(), -1);
  EXPECT_EQ(file.Position(), static_cast<int64_t>(old.size()));
  ASSERT_TRUE(file.Seek(static_cast<int64_t>(old.size()) + 5));
  EXPECT_EQ(file.Get(), -1);
  ASSERT_TRUE(file.Put(0x44));
  expected += std::string(5, '\0') + "\x44";
  EXPECT_EQ(file.Size(), static_cast<int64_t>(expected.size()));
  // A block read across the buffer's end and the file's end.
  ASSERT_TRUE(file.Seek(kBlock - 3));
  std::vector<uint8_t> into(static_cast<size_t>(2 * kBlock), 0);
  const int64_t got = file.Read(into.data(), static_cast<int64_t>(into.size()));
  ASSERT_EQ(got, static_cast<int64_t>(expected.size()) - (kBlock - 3));
  EXPECT_EQ(std::string(into.begin(), into.begin() + got), expected.substr(static_cast<size_t>(kBlock - 3)));
  EXPECT_EQ(file.Read(into.data(), 10), 0);
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Slurp("b.bin"), expected);
}

// What another program (or COPY) finds in the file while it is open: the written bytes
// go there a buffer at a time, and at once on a seek, on a read after writing and on the
// close; never on asking for the position or the size.
TEST_F(ByteFileTest, WrittenBytesReachTheFileWhereTheyAlwaysDid) {
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("w.bin", ByteAccess::Both, error), ByteOpen::Created);
  const std::string bytes = Pattern(static_cast<size_t>(3 * kBlock));
  for (int64_t i = 0; i < kBlock; ++i) ASSERT_TRUE(file.Put(static_cast<uint8_t>(bytes[static_cast<size_t>(i)])));
  EXPECT_EQ(file.Position(), kBlock);
  EXPECT_EQ(file.Size(), kBlock);
  EXPECT_EQ(Slurp("w.bin"), "");
  ASSERT_TRUE(file.Put(static_cast<uint8_t>(bytes[static_cast<size_t>(kBlock)])));
  EXPECT_EQ(Slurp("w.bin"), bytes.substr(0, static_cast<size_t>(kBlock)));
  ASSERT_TRUE(file.Put(static_cast<uint8_t>(bytes[static_cast<size_t>(kBlock) + 1])));
  EXPECT_EQ(file.Get(), -1);  // a read after writing
  EXPECT_EQ(Slurp("w.bin"), bytes.substr(0, static_cast<size_t>(kBlock) + 2));
  ASSERT_TRUE(file.Write(reinterpret_cast<const uint8_t*>(bytes.data()) + kBlock + 2, 10));
  ASSERT_TRUE(file.Seek(0));
  EXPECT_EQ(Slurp("w.bin"), bytes.substr(0, static_cast<size_t>(kBlock) + 12));
  // A large block write goes to the file at once.
  ASSERT_TRUE(file.Seek(kBlock + 12));
  ASSERT_TRUE(file.Write(reinterpret_cast<const uint8_t*>(bytes.data()) + kBlock + 12, 2 * kBlock - 12));
  EXPECT_EQ(Slurp("w.bin"), bytes);
  ASSERT_TRUE(file.Put(1));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Slurp("w.bin"), bytes + "\x01");
}

// Two byte files on one file: what one writes the other reads after the writer's seek
// and its own (a seek forgets what was read before). The end, once found, stays until a
// seek, as the C libraries' streams keep it.
TEST_F(ByteFileTest, TwoFilesOnOneNameSeeEachOthersBytesAfterASeek) {
  Spit("zwei.bin", Pattern(100));
  ByteFile writer;
  ByteFile reader;
  int error = 0;
  ASSERT_EQ(writer.Open("zwei.bin", ByteAccess::Both, error), ByteOpen::Opened);
  ASSERT_EQ(reader.Open("zwei.bin", ByteAccess::Read, error), ByteOpen::Opened);
  EXPECT_EQ(reader.Get(), static_cast<uint8_t>(Pattern(100)[0]));
  ASSERT_TRUE(writer.Put(0x55));
  ASSERT_TRUE(writer.Seek(100));
  ASSERT_TRUE(writer.Put(0x66));  // past the reader's end
  ASSERT_TRUE(writer.Seek(0));
  ASSERT_TRUE(reader.Seek(0));
  EXPECT_EQ(reader.Get(), 0x55);
  ASSERT_TRUE(reader.Seek(100));
  EXPECT_EQ(reader.Get(), 0x66);
  EXPECT_EQ(reader.Get(), -1);
  ASSERT_TRUE(writer.Seek(101));
  ASSERT_TRUE(writer.Put(0x77));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(reader.Get(), -1);
  uint8_t into[2] = {0, 0};
  EXPECT_EQ(reader.Read(into, 2), 0);
  EXPECT_EQ(reader.Position(), 101);
  ASSERT_TRUE(reader.Seek(101));
  EXPECT_EQ(reader.Get(), 0x77);
  EXPECT_EQ(reader.Get(), -1);
  // The file's own write at its end ends the end too.
  ASSERT_TRUE(reader.Close());
  ByteFile both;
  int error2 = 0;
  ASSERT_EQ(both.Open("zwei.bin", ByteAccess::Both, error2), ByteOpen::Opened);
  ASSERT_TRUE(both.Seek(102));
  EXPECT_EQ(both.Get(), -1);
  ASSERT_TRUE(both.Put(0x88));
  ASSERT_TRUE(both.Seek(102));
  EXPECT_EQ(both.Get(), 0x88);
  EXPECT_EQ(both.Get(), -1);
  EXPECT_TRUE(both.Close());
}

TEST_F(ByteFileTest, ReadOnlyRefusesEveryWriteAndClosedRefusesEverything) {
  Spit("r.bin", "abc");
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("r.bin", ByteAccess::Read, error), ByteOpen::Opened);
  EXPECT_EQ(file.Get(), 'a');
  EXPECT_FALSE(file.Put(1));
  const uint8_t block[2] = {1, 2};
  EXPECT_FALSE(file.Write(block, 2));
  EXPECT_EQ(file.Position(), 1);
  EXPECT_EQ(file.Get(), 'b');
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(Slurp("r.bin"), "abc");
  EXPECT_EQ(file.Get(), -1);
  EXPECT_FALSE(file.Put(1));
  EXPECT_FALSE(file.Seek(0));
  uint8_t into[2];
  EXPECT_EQ(file.Read(into, 2), 0);
}

#if defined(__GLIBC__)

// A stream over a file whose n-th write fails once (glibc's fopencookie): ENOSPC for a
// moment, as a disk that was full and then had room.
int64_t g_writes = 0;
int64_t g_failingWrite = 0;

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
  return ::read(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), buffer, size);
}
ssize_t CookieWrite(void* cookie, const char* buffer, size_t size) {
  if (++g_writes == g_failingWrite) {
    errno = ENOSPC;
    return 0;
  }
  return ::write(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), buffer, size);
}
int CookieSeek(void* cookie, off64_t* offset, int whence) {
  const off64_t at = ::lseek64(static_cast<int>(reinterpret_cast<intptr_t>(cookie)), *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}
int CookieClose(void* cookie) { return ::close(static_cast<int>(reinterpret_cast<intptr_t>(cookie))); }

std::FILE* FailingOpen(const char* name, const char* mode) {
  std::FILE* plain = std::fopen(name, mode);
  if (plain == nullptr) return nullptr;
  const int descriptor = ::dup(::fileno(plain));
  std::fclose(plain);
  const cookie_io_functions_t calls{CookieRead, CookieWrite, CookieSeek, CookieClose};
  return ::fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(descriptor)), mode, calls);
}

// Whichever write of the stream fails, the byte whose write reports it stands for the
// loss, or the close reports it: every byte reported as written is in the file, in order.
TEST_F(ByteFileTest, AFailedWriteIsReportedAndLosesNothingReportedAsWritten) {
  Streams().open = FailingOpen;
  const std::string bytes = Pattern(static_cast<size_t>(3 * kBlock + 5));
  // Puts every byte with the n-th write failing (0: none); the number of writes.
  auto putAll = [&](int64_t failing, std::string& written, int& refused, bool& closed) {
    std::remove("f.bin");
    g_writes = 0;
    g_failingWrite = failing;
    ByteFile file;
    int error = 0;
    EXPECT_EQ(file.Open("f.bin", ByteAccess::Both, error), ByteOpen::Created);
    for (char c : bytes) {
      if (file.Put(static_cast<uint8_t>(c))) {
        written += c;
      } else {
        ++refused;
      }
      EXPECT_EQ(file.Position(), static_cast<int64_t>(written.size()));
    }
    closed = file.Close();
    return g_writes;
  };
  std::string written;
  int refused = 0;
  bool closed = false;
  const int64_t writes = putAll(0, written, refused, closed);
  ASSERT_TRUE(closed);
  ASSERT_EQ(Slurp("f.bin"), bytes);
  ASSERT_GE(writes, 4);  // three full buffers and the close's
  for (int64_t failing = 1; failing <= writes; ++failing) {
    SCOPED_TRACE("write " + std::to_string(failing));
    written.clear();
    refused = 0;
    putAll(failing, written, refused, closed);
    if (closed) {
      EXPECT_EQ(refused, 1);
      EXPECT_EQ(Slurp("f.bin"), written);
    } else {
      // The close's own write: reported there, the last bytes lost.
      EXPECT_EQ(refused, 0);
      const std::string now = Slurp("f.bin");
      EXPECT_LT(now.size(), written.size());
      EXPECT_EQ(now, written.substr(0, now.size()));
    }
  }
  // A seek and a read that must first write the buffered bytes report the failure and
  // leave the position; the bytes go to the file on the next try.
  std::remove("f.bin");
  g_writes = 0;
  g_failingWrite = 1;
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("f.bin", ByteAccess::Both, error), ByteOpen::Created);
  ASSERT_TRUE(file.Put('x'));
  EXPECT_FALSE(file.Seek(0));
  EXPECT_EQ(file.Position(), 1);
  g_failingWrite = 2;
  EXPECT_EQ(file.Get(), -1);
  EXPECT_EQ(file.Position(), 1);
  uint8_t into[1];
  g_failingWrite = 3;
  EXPECT_EQ(file.Read(into, 1), 0);
  ASSERT_TRUE(file.Seek(0));
  EXPECT_EQ(file.Get(), 'x');
  // A large block whose write fails leaves the position at its start: written again
  // whole by the next BLOCKWRITE.
  const std::string block = Pattern(static_cast<size_t>(kBlock + 100));
  const auto* data = reinterpret_cast<const uint8_t*>(block.data());
  g_failingWrite = g_writes + 1;
  EXPECT_FALSE(file.Write(data, static_cast<int64_t>(block.size())));
  EXPECT_EQ(file.Position(), 1);
  ASSERT_TRUE(file.Write(data, static_cast<int64_t>(block.size())));
  EXPECT_EQ(file.Position(), 1 + static_cast<int64_t>(block.size()));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(Slurp("f.bin"), "x" + block);
}

// A disk that stays full: every report comes, at the latest from the close.
TEST_F(ByteFileTest, AFullDiskIsReportedAtTheLatestByTheClose) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ByteFile file;
  int error = 0;
  ASSERT_EQ(file.Open("/dev/full", ByteAccess::Write, error), ByteOpen::Opened);
  ASSERT_TRUE(file.Put(1));
  EXPECT_FALSE(file.Close());
  ASSERT_EQ(file.Open("/dev/full", ByteAccess::Write, error), ByteOpen::Opened);
  for (int64_t i = 0; i < kBlock; ++i) ASSERT_TRUE(file.Put(1));
  EXPECT_FALSE(file.Put(1));
  EXPECT_FALSE(file.Put(1));
  EXPECT_EQ(file.Position(), kBlock);
  const std::vector<uint8_t> block(static_cast<size_t>(kBlock), 2);
  EXPECT_FALSE(file.Write(block.data(), kBlock));
  EXPECT_FALSE(file.Close());
}

#endif

}  // namespace
}  // namespace talven
