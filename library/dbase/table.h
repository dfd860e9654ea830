#pragma once
// One open table: the file (read and written in place), its memo file, the record buffer,
// the cursor and up to 16 attached indexes, the first of which orders the moves.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/dbase/db_file.h"
#include "library/dbase/db_result.h"
#include "library/dbase/dbf_format.h"
#include "library/dbase/key_expression.h"
#include "library/dbase/ndx_index.h"

namespace talven::dbase {

// The field last touched by a get or put (blank and 0 after a failed access).
struct LastField {
  char type = ' ';
  int32_t length = 0;
  int32_t decimals = 0;
  std::string name;
  int32_t number = 0;
};

enum class SeekMode { Contains = 0, Begins = 1, Equal = 2 };

class Table {
 public:
  ~Table();
  // Opens the table file under this exact name (and its memo file for version 0x83) and
  // reads record 1.
  static DbResult Open(DbFileSystem& files, const std::string& name, std::unique_ptr<Table>* table);
  // Writes date, count and end byte when anything was written; closes memo and indexes.
  DbResult Close(const DbDate& today);

  const std::string& Name() const { return m_name; }
  const DbfHeader& Header() const { return m_header; }
  const std::vector<DbfField>& Fields() const { return m_header.fields; }
  uint32_t RecordCount() const { return m_count; }
  uint32_t RecordNumber() const { return m_record; }
  bool Deleted() const { return m_deleted; }
  bool Eof() const { return m_eof; }
  bool HasMemoFile() const { return m_memo != nullptr; }
  const LastField& Last() const { return m_last; }
  int32_t MemoWidth() const { return m_memoWidth; }
  void SetMemoWidth(int64_t width);
  const std::vector<uint8_t>& Buffer() const { return m_buffer; }
  // The buffer as the binding converts it (character sets) and tests damage it.
  std::vector<uint8_t>& MutableBuffer() { return m_buffer; }
  // Fills the buffer with blanks (no memo blocks are shared afterwards).
  void Blank();
  size_t IndexCount() const { return m_indexes.size(); }
  NdxIndex* Index(size_t i) { return m_indexes[i].index.get(); }
  const KeyExpression& IndexKey(size_t i) const { return m_indexes[i].key; }

  // Moves. A record number outside 1..count is 608; on an empty table every move sets
  // the end flag.
  DbResult Go(int64_t record);
  DbResult Top();
  DbResult Bottom();
  DbResult Next(int64_t count = 1);
  DbResult Prev(int64_t count = 1);
  DbResult IndexNth(int64_t count);

  // Fields (1-based numbers); names ignore case.
  int32_t FieldNumber(const std::string& name) const;
  DbResult GetField(const std::string& name, std::string* text);
  DbResult GetField(int32_t number, std::string* text);
  DbResult PutField(const std::string& name, const std::string& text);
  DbResult PutField(int32_t number, const std::string& text);

  // Writes the buffer to that record, to the current one for 0 (appending when there is
  // none), appending beyond the count; *written is 0 on failure.
  DbResult PutRecord(int64_t record, uint32_t* written);
  DbResult AppendBlank(uint32_t* record);
  DbResult Delete();
  DbResult Undelete();
  // Removes deleted records through new files beside the table, swapped in at the end:
  // all or nothing.
  DbResult Pack(const DbDate& today, uint32_t* count);
  // From the current record onwards in file order; *found 0 when nothing matches. With
  // `fold`, each byte of the field goes through it before the comparison (the binding's
  // OEM tables compared in ANSI, so that upper and lower case meet).
  DbResult Seek(const std::string& field, const std::string& text, SeekMode mode, uint32_t* found,
                const std::array<uint8_t, 256>* fold = nullptr);

  // Attaches the named indexes (at most 16, the first the master) or, when one cannot be
  // used, none; then goes to the top.
  DbResult AttachIndexes(const std::vector<std::string>& names, bool* attached);
  void DetachIndexes();
  DbResult CreateIndex(const std::string& expression, const std::string& name);
  DbResult Find(const std::string& key, bool exact, uint32_t* found);

  DbResult GetMemo(const std::string& field, std::vector<std::string>* lines, int32_t* result);
  DbResult PutMemo(const std::string& field, const std::vector<std::string>& lines);

 private:
  struct Attached {
    std::unique_ptr<NdxIndex> index;
    KeyExpression key;
  };
  Table(DbFileSystem& files, std::string name);
  DbResult OpenFiles();
  void CloseFiles();
  uint64_t RecordOffset(uint32_t record) const;
  DbResult ReadRecord(uint32_t record, uint8_t* bytes);
  DbResult Load(uint32_t record);
  void SetEnd();
  bool Active() const { return !m_indexes.empty(); }
  DbResult Position();
  DbResult LoadFromIndex(uint32_t record);
  DbResult WriteBuffer(uint32_t target, uint32_t* written);
  DbResult RereadCount(uint32_t* count);
  DbResult UpdateIndexes(const uint8_t* oldRecord, uint32_t record);
  DbResult OpenIndex(const std::string& name, Attached* attached);
  DbResult FieldFor(const std::string& name, int32_t missingError, int32_t* index);
  DbResult FieldFor(int32_t number, int32_t missingError, int32_t* index);
  void Touch(int32_t index);
  // Memo chains.
  DbResult MemoNextFree(uint32_t* nextFree);
  DbResult ReadMemoChain(DbFile& memo, const std::string& memoName, uint32_t block, std::vector<uint8_t>* bytes,
                         uint32_t* blocks);
  DbResult CopyMemos(uint8_t* record, DbFile& from, const std::string& fromName, DbFile& to,
                     const std::string& toName, uint32_t* nextFree);
  DbResult WriteMemoHeader(DbFile& memo, const std::string& memoName, uint32_t nextFree);

  DbFileSystem& m_files;
  std::string m_name;
  std::string m_memoName;
  std::unique_ptr<DbFile> m_file;
  std::unique_ptr<DbFile> m_memo;
  DbfHeader m_header;
  uint32_t m_count = 0;
  std::vector<uint8_t> m_buffer;
  std::vector<uint8_t> m_scratch;
  std::vector<uint8_t> m_ahead;  // records read ahead in file order
  uint32_t m_aheadFirst = 0;
  uint32_t m_aheadCount = 0;
  uint64_t m_aheadGeneration = 0;
  uint64_t m_ownGeneration = 0;  // the write generation after this table's last write
  uint32_t m_record = 0;
  uint32_t m_bufferSource = 0;  // the record whose memo blocks the buffer points to
  bool m_deleted = false;
  bool m_eof = false;
  bool m_written = false;
  bool m_cursorValid = false;  // the master index cursor stands on the current record
  LastField m_last;
  int32_t m_memoWidth = 80;
  std::vector<Attached> m_indexes;
};

// DBCREATE: reads the definition file (lines "name;type;length;decimals") and writes the
// new table (and its memo file) under temporary names, renamed when complete.
DbResult CreateTable(DbFileSystem& files, const std::string& definitionFile, const std::string& tableName,
                     const DbDate& today);
// The fields of definition lines, checked (602, 603, 604; 600 for none or over 128).
DbResult ParseDefinitions(const std::string& text, std::vector<DbfField>* fields);

}  // namespace talven::dbase
