// Interop with the Debian tools, run natively: tables written by shapelib and python3-dbf
// (memos) read by us with the values python3-dbfread and python3-dbf see; our tables,
// memos and indexes read by dbfread, python3-dbf, shapelib's dbfdump, XBase's dbf_dump,
// and XBase::Index, which walks our indexes (after root splits) and finds every key.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common/bytes.h"
#include "library/dbase/std_db_file.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = TALVEN_DBASE_FIXTURES;
const std::string kDump = fs::path(TALVEN_DBASE_FIXTURES).parent_path().string() + "/interop_dump.py";

std::string Shell(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  const int result = pclose(pipe);
  if (status) *status = result;
  return output;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Interop : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/talven-dbase-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  std::string Copy(const std::string& name) {
    fs::copy_file(kFixtures + "/" + name, Path(name));
    return Path(name);
  }
  // The table as the readers print it (interop_dump.py): one line per record.
  std::vector<std::string> Ours(const std::string& name) {
    auto table = OpenTable(files, name);
    std::vector<std::string> lines;
    if (!table) return lines;
    table->SetMemoWidth(255);
    for (uint32_t r = 1; r <= table->RecordCount(); ++r) {
      EXPECT_TRUE(table->Go(r).Ok());
      std::string line = table->Deleted() ? "*" : " ";
      for (const auto& field : table->Fields()) {
        std::string text = Trim(Field(*table, field.name)), value = text;
        if (field.type == 'L') {
          value = std::string("TtYy").find(text.empty() ? '?' : text[0]) != std::string::npos   ? "T"
                  : std::string("FfNn").find(text.empty() ? '?' : text[0]) != std::string::npos ? "F"
                                                                                                 : "";
        } else if (field.type == 'N') {
          double number = 0;
          char formatted[64] = "";
          if (ParseNumber(text, &number)) std::snprintf(formatted, sizeof formatted, "%g", number);
          value = formatted;
        } else if (field.type == 'M') {
          std::vector<std::string> memo;
          int32_t result = 0;
          EXPECT_TRUE(table->GetMemo(field.name, &memo, &result).Ok());
          value.clear();
          for (const auto& part : memo) value += part;
          value = Trim(value);
        }
        line += "|" + field.name + "=" + value;
      }
      lines.push_back(line);
    }
    return lines;
  }
  std::vector<std::string> Theirs(const std::string& reader, const std::string& name) {
    int status = 0;
    auto lines = Lines(Shell("PYTHONIOENCODING=latin-1 /usr/bin/python3 " + kDump + " " + reader + " '" + name + "'", &status));
    EXPECT_EQ(status, 0) << reader << " " << name;
    return lines;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  StdFileSystem files;
  std::string dir;
};

TEST_F(Interop, TablesOfShapelibPythonDbfAndXBaseOpenWithTheirValues) {
  for (const char* name : {"SHAPE.DBF", "PYDBF.DBF", "XBASE.dbf"}) {
    const std::string path = Copy(name);
    if (std::string(name) == "PYDBF.DBF") Copy("PYDBF.DBT");
    if (std::string(name) == "XBASE.dbf") Copy("XBASE.dbt");
    const auto ours = Ours(path);
    ASSERT_FALSE(ours.empty()) << name;
    EXPECT_EQ(Sorted(ours), Sorted(Theirs("dbfread", path))) << name;
    EXPECT_EQ(ours, Theirs("dbf", path)) << name;
  }
  // Shapelib's fixed date and language byte are read past and kept.
  auto table = OpenTable(files, Path("SHAPE.DBF"));
  EXPECT_EQ(table->Header().raw[29], 0x57);
  EXPECT_EQ(table->Header().UpdateText(), "26.07.95");
  EXPECT_EQ(table->RecordCount(), 400u);
}

TEST_F(Interop, DbCreateTablesAsDbfinfoSeesThem) {
  std::ofstream(Path("DEF.TXT")) << "betrag;N;5;2\ndatum;D\nkennung;x;4\n";
  ASSERT_TRUE(CreateTable(files, Path("DEF.TXT"), Path("NEU.DBF"), kToday).Ok());
  int status = 0;
  const std::string info = Shell("dbfinfo '" + Path("NEU.DBF") + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(info.find("3 Columns,  0 Records in file"), std::string::npos) << info;
  EXPECT_NE(info.find("BETRAG\t          float  (5,2)"), std::string::npos) << info;
  EXPECT_NE(info.find("DATUM\t        unknown  (8,0)"), std::string::npos) << info;  // shapelib has no dates
  EXPECT_NE(info.find("KENNUNG\t         string  (4,0)"), std::string::npos) << info;
  EXPECT_EQ(fs::file_size(Path("NEU.DBF")), 32u * 4 + 2);
}

// Our table with memos, deletions, a PACK, and two indexes changed after root splits.
void WriteOurs(DbFileSystem& files, const std::string& dir) {
  int32_t ignored = 0;
  auto definitions = files.Open(dir + "/DEF.TXT", OpenMode::Create, &ignored);
  const std::string text = "name;C;12\nnr;N;8;2\ndatum;D\nok;L\nnotiz;M\n";
  definitions->Write(0, text.data(), text.size());
  definitions.reset();
  ASSERT_TRUE(CreateTable(files, dir + "/OURS.DBF", dir + "/OURS.DBF", kToday).error != 0);  // a table is no definition
  ASSERT_TRUE(CreateTable(files, dir + "/DEF.TXT", dir + "/OURS.DBF", kToday).Ok());
  auto table = OpenTable(files, dir + "/OURS.DBF");
  ASSERT_TRUE(table);
  for (int i = 0; i < 1500; ++i) {
    table->PutField("NAME", "N\xE4me" + std::to_string((i * 7919) % 613));
    table->PutField("NR", std::to_string((i * 37) % 1001 - 500) + ".25");
    table->PutField("DATUM", std::to_string(19000101 + (i % 90) * 10000 + (i % 12) * 100 + i % 28));
    table->PutField("OK", i % 3 ? "T" : "F");
    if (i % 5 == 0) {
      ASSERT_TRUE(table->PutMemo("NOTIZ", {"Memo " + std::to_string(i), std::string(i % 300, 'm')}).Ok());
    }
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(table->RecordCount() + 1, &written).Ok());
    table->Blank();
  }
  for (uint32_t r = 3; r <= 1500; r += 7) {
    ASSERT_TRUE(table->Go(r).Ok());
    ASSERT_TRUE(table->Delete().Ok());
  }
  uint32_t count = 0;
  ASSERT_TRUE(table->Pack(kToday, &count).Ok());
  ASSERT_TRUE(table->CreateIndex("NAME", dir + "/NAME").Ok());
  ASSERT_TRUE(table->CreateIndex("NR", dir + "/NR").Ok());
  bool attached = false;
  ASSERT_TRUE(table->AttachIndexes({dir + "/NAME", dir + "/NR"}, &attached).Ok());
  ASSERT_TRUE(attached);
  // Key changes and appends through both indexes; one deleted record stays.
  for (uint32_t r = 1; r <= count; r += 4) {
    ASSERT_TRUE(table->Go(r).Ok());
    table->PutField("NAME", "A" + std::to_string(r % 97));
    table->PutField("NR", std::to_string(r));
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  }
  for (int i = 0; i < 600; ++i) {
    table->PutField("NAME", "Z" + std::to_string(i % 50));
    table->PutField("NR", std::to_string(-i));
    uint32_t record = 0;
    ASSERT_TRUE(table->AppendBlank(&record).Ok());
  }
  ASSERT_TRUE(table->Go(2).Ok());
  ASSERT_TRUE(table->Delete().Ok());
  ASSERT_TRUE(table->Close(kToday).Ok());
}

TEST_F(Interop, OurTablesReadBackInTheirReaders) {
  WriteOurs(files, dir);
  const std::string path = Path("OURS.DBF");
  const auto ours = Ours(path);
  ASSERT_EQ(ours.size(), 1500u - 214 + 600);
  EXPECT_EQ(Sorted(ours), Sorted(Theirs("dbfread", path)));
  EXPECT_EQ(ours, Theirs("dbf", path));
  // shapelib: one line per record after the title, the deleted one marked.
  int status = 0;
  const auto shape = Lines(Shell("dbfdump '" + path + "'", &status));
  EXPECT_EQ(status, 0);
  ASSERT_EQ(shape.size(), ours.size() + 1);
  EXPECT_NE(shape[2].find("(DELETED)"), std::string::npos);
  EXPECT_EQ(shape[1].find("(DELETED)"), std::string::npos);
  // XBase: dbf_dump lists the records that are not deleted, memos included.
  const auto xbase = Lines(Shell("dbf_dump '" + path + "'", &status));
  EXPECT_EQ(status, 0);
  EXPECT_GE(xbase.size(), ours.size() - 1);
  EXPECT_NE(Shell("dbf_dump '" + path + "'").find("Memo 5\r\nmmmmm"), std::string::npos);
  // Our own dump tool, both ways.
  const auto csv = Lines(Shell(std::string(TALVEN_DBFDUMP) + " --csv '" + path + "'", &status));
  EXPECT_EQ(status, 0);
  ASSERT_GT(csv.size(), ours.size());  // memo lines continue inside their quotes
  EXPECT_EQ(csv[0], "\"NAME\",\"NR\",\"DATUM\",\"OK\",\"NOTIZ\"");
}

TEST_F(Interop, XBaseIndexWalksAndFindsOurKeys) {
  WriteOurs(files, dir);
  for (const auto& [name, type] : std::map<std::string, std::string>{{"NAME.NDX", "char"}, {"NR.NDX", "num"}}) {
    std::unique_ptr<NdxIndex> index;
    ASSERT_TRUE(NdxIndex::Open(files, Path(name), &index).Ok());
    const NdxCheck check = index->Check();
    EXPECT_TRUE(check.problems.empty()) << name;
    EXPECT_GE(check.depth, 2u) << name;  // branch pages
    // index_dump prints key and record of every entry in tree order.
    int status = 0;
    const auto walked = Lines(Shell("index_dump -type " + type + " '" + Path(name) + "' x", &status));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(walked.size(), check.entries.size()) << name;
    std::set<std::string> keys;
    for (size_t i = 0; i < walked.size(); ++i) {
      const std::string record = walked[i].substr(walked[i].find_last_of(' ') + 1);
      EXPECT_EQ(record, std::to_string(check.entries[i].record)) << name << " entry " << i;
      keys.insert(check.entries[i].key);
    }
    // find_eq for every distinct key: the first entry at or after it carries it.
    std::ofstream script(Path("find.pl"));
    script << "use XBase::Index; my $i = XBase::Index->new('" << Path(name) << "', type => '"
           << (type == "num" ? "N" : "C") << "') or die; my $bad = 0;\n"
           << "while (my $k = <STDIN>) { chomp $k; $i->prepare_select_eq($k) or die;"
           << " my ($key) = $i->fetch(); $bad++ unless defined $key && $key eq $k; }\nprint \"bad $bad\\n\";\n";
    script.close();
    std::ofstream input(Path("keys.txt"));
    for (const auto& key : keys) {
      if (type == "num") {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", GetLittleDouble(reinterpret_cast<const uint8_t*>(key.data())));
        input << text << "\n";
      } else {
        input << key << "\n";
      }
    }
    input.close();
    EXPECT_EQ(Shell("perl '" + Path("find.pl") + "' < '" + Path("keys.txt") + "'"), "bad 0\n") << name;
  }
  // ndxdump --check: the table against each index.
  for (const char* name : {"NAME.NDX", "NR.NDX"}) {
    int status = 0;
    const std::string out = Shell(std::string(TALVEN_NDXDUMP) + " --check --quiet '" + Path("OURS.DBF") + "' '" + Path(name) + "'", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("check: clean"), std::string::npos) << out;
  }
}

TEST_F(Interop, GeneratedIndexesReadAndChange) {
  Copy("SHAPE.DBF");
  Copy("SHAPE_NAME.NDX");
  Copy("SHAPE_NR.NDX");
  auto table = OpenTable(files, Path("SHAPE.DBF"));
  ASSERT_TRUE(table);
  bool attached = false;
  ASSERT_TRUE(table->AttachIndexes({Path("SHAPE_NAME"), Path("SHAPE_NR.NDX")}, &attached).Ok());
  ASSERT_TRUE(attached);
  uint32_t found = 0;
  ASSERT_TRUE(table->Find("Graf", false, &found).Ok());
  EXPECT_EQ(Trim(Field(*table, "NAME")).substr(0, 4), "Graf");
  for (uint32_t r = 1; r <= 400; r += 3) {
    ASSERT_TRUE(table->Go(r).Ok());
    table->PutField("NAME", "Neu" + std::to_string(r));
    table->PutField("NR", std::to_string(r * 3));
    uint32_t written = 0;
    ASSERT_TRUE(table->PutRecord(0, &written).Ok());
  }
  table->Close(kToday);
  for (const char* name : {"SHAPE_NAME.NDX", "SHAPE_NR.NDX"}) {
    int status = 0;
    const std::string out = Shell(std::string(TALVEN_NDXDUMP) + " --check --quiet '" + Path("SHAPE.DBF") + "' '" + Path(name) + "'", &status);
    EXPECT_EQ(status, 0) << out;
  }
}

}  // namespace
}  // namespace talven::dbase::test
