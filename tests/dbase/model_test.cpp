// 10,000 random appends, key changes, deletions, undeletions and PACKs against a model in
// memory: both attached indexes stay sound and hold exactly the model's keys, finds and
// moves agree with a sort.

#include <algorithm>
#include <cstring>
#include <random>

#include "common/bytes.h"
#include "tests/dbase/dbase_test_support.h"

namespace talven::dbase::test {
namespace {

struct Row {
  std::string name;  // 6 characters, blank-padded
  int32_t number = 0;
  bool deleted = false;
};

std::string Pad(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

class Model {
 public:
  Model() : m_random(20261208) {}

  void Run(int operations) {
    MakeTable(m_files, "M.DBF", "NAME;C;6\nNR;N;5\n");
    m_table = OpenTable(m_files, "M.DBF");
    ASSERT_TRUE(m_table);
    Reindex();
    for (int op = 1; op <= operations; ++op) {
      const int choice = Pick(100);
      if (choice < 40 || m_rows.empty()) {
        AppendRow();
      } else if (choice < 65) {
        ChangeRow();
      } else if (choice < 75) {
        SetDeleted(true);
      } else if (choice < 80) {
        SetDeleted(false);
      } else if (choice < 81) {
        PackRows();
      } else {
        FindName();
      }
      if (op % 1000 == 0 || op == operations) Verify();
      if (::testing::Test::HasFailure()) {
        ADD_FAILURE() << "after operation " << op;
        return;
      }
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
  std::string RandomName() {
    // Few distinct names: many equal keys, which must stay in record order.
    static const char* const kNames[] = {"Abel", "Bauer", "Zoe", "Meier", "Ömer", "abel", "Bau", "X"};
    return Pad(kNames[Pick(8)] + std::string(Pick(3) == 0 ? "1" : ""), 6);
  }
  void Write(uint32_t target, const Row& row) {
    ASSERT_TRUE(m_table->PutField("NAME", row.name).Ok());
    ASSERT_TRUE(m_table->PutField("NR", std::to_string(row.number)).Ok());
    m_table->MutableBuffer()[0] = row.deleted ? '*' : ' ';
    uint32_t written = 0;
    const DbResult result = m_table->PutRecord(target, &written);
    ASSERT_TRUE(result.Ok()) << result.error << result.Appended();
    ASSERT_EQ(written, target);
  }
  void AppendRow() {
    Row row{RandomName(), Pick(2000) - 1000, false};
    m_rows.push_back(row);
    if (Pick(2)) {
      m_table->Blank();
      Write(static_cast<uint32_t>(m_rows.size()), row);
    } else {
      // Through DBAPPENDBLANK: the buffer of another record, changed, appended.
      if (m_rows.size() > 1) {
        ASSERT_TRUE(m_table->Go(1 + Pick(static_cast<int>(m_rows.size() - 1))).Ok());
      }
      m_table->PutField("NAME", row.name);
      m_table->PutField("NR", std::to_string(row.number));
      m_table->MutableBuffer()[0] = ' ';
      uint32_t record = 0;
      ASSERT_TRUE(m_table->AppendBlank(&record).Ok());
      ASSERT_EQ(record, m_rows.size());
    }
  }
  void ChangeRow() {
    const uint32_t record = 1 + Pick(static_cast<int>(m_rows.size()));
    ASSERT_TRUE(m_table->Go(record).Ok());
    Row& row = m_rows[record - 1];
    if (Pick(2)) row.name = RandomName();
    if (Pick(2)) row.number = Pick(2000) - 1000;
    Write(record, row);
  }
  void SetDeleted(bool deleted) {
    const uint32_t record = 1 + Pick(static_cast<int>(m_rows.size()));
    ASSERT_TRUE(m_table->Go(record).Ok());
    ASSERT_TRUE((deleted ? m_table->Delete() : m_table->Undelete()).Ok());
    m_rows[record - 1].deleted = deleted;
  }
  void PackRows() {
    uint32_t count = 0;
    ASSERT_TRUE(m_table->Pack(kToday, &count).Ok());
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [](const Row& row) { return row.deleted; }), m_rows.end());
    ASSERT_EQ(count, m_rows.size());
    EXPECT_EQ(m_table->IndexCount(), 0u);
    Reindex();
  }
  void Reindex() {
    ASSERT_TRUE(m_table->CreateIndex("NR", "NR").Ok());
    ASSERT_TRUE(m_table->CreateIndex("NAME", "NAME").Ok());
    bool attached = false;
    ASSERT_TRUE(m_table->AttachIndexes({"NAME", "NR"}, &attached).Ok());
    ASSERT_TRUE(attached);
  }
  // Record numbers in the order of (name, record).
  std::vector<uint32_t> SortedByName() const {
    std::vector<uint32_t> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i + 1);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      return std::memcmp(m_rows[a - 1].name.data(), m_rows[b - 1].name.data(), 6) < 0;
    });
    return order;
  }
  void FindName() {
    const std::string name = RandomName();
    uint32_t found = 0;
    ASSERT_TRUE(m_table->Find(name, true, &found).Ok());
    uint32_t expected = 0;
    for (uint32_t r : SortedByName()) {
      if (m_rows[r - 1].name == name) {
        expected = r;
        break;
      }
    }
    ASSERT_EQ(found, expected) << "find " << name;
  }
  void Verify() {
    // Both trees sound, with exactly the model's keys.
    for (size_t i = 0; i < m_table->IndexCount(); ++i) {
      const NdxCheck check = m_table->Index(i)->Check();
      for (const auto& problem : check.problems) ADD_FAILURE() << "index " << i << ": " << problem;
      ASSERT_EQ(check.entries.size(), m_rows.size());
      std::vector<bool> seen(m_rows.size() + 1, false);
      for (const auto& entry : check.entries) {
        ASSERT_GE(entry.record, 1u);
        ASSERT_LE(entry.record, m_rows.size());
        ASSERT_FALSE(seen[entry.record]);
        seen[entry.record] = true;
        const Row& row = m_rows[entry.record - 1];
        if (m_table->Index(i)->Numeric()) {
          EXPECT_EQ(GetLittleDouble(reinterpret_cast<const uint8_t*>(entry.key.data())), row.number);
        } else {
          EXPECT_EQ(entry.key, row.name);
        }
      }
    }
    // Moves in index order agree with the sort; the file agrees with the model.
    std::vector<uint32_t> walked;
    ASSERT_TRUE(m_table->Top().Ok());
    while (!m_table->Eof() && walked.size() <= m_rows.size()) {
      walked.push_back(m_table->RecordNumber());
      const Row& row = m_rows[m_table->RecordNumber() - 1];
      ASSERT_EQ(Field(*m_table, "NAME"), row.name);
      ASSERT_EQ(Trim(Field(*m_table, "NR")), std::to_string(row.number));
      ASSERT_EQ(m_table->Deleted(), row.deleted);
      ASSERT_TRUE(m_table->Next().Ok());
    }
    ASSERT_EQ(walked, SortedByName());
    // And backwards from the bottom.
    std::vector<uint32_t> back;
    ASSERT_TRUE(m_table->Bottom().Ok());
    while (back.size() < m_rows.size()) {
      back.push_back(m_table->RecordNumber());
      const uint32_t before = m_table->RecordNumber();
      ASSERT_TRUE(m_table->Prev().Ok());
      if (m_table->RecordNumber() == before) break;
    }
    std::reverse(back.begin(), back.end());
    ASSERT_EQ(back, SortedByName());
  }

  std::mt19937 m_random;
  MemoryFileSystem m_files;
  std::unique_ptr<Table> m_table;
  std::vector<Row> m_rows;
};

TEST(ModelBased, TenThousandRandomOperations) {
  Model model;
  model.Run(10000);
}

}  // namespace
}  // namespace talven::dbase::test
