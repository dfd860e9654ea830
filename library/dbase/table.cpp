// Tables: opening with every check a hostile file needs, moves, fields, writes that keep
// the count in the file current, indexes kept in step with every write, and memos.

#include "library/dbase/table.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "library/dbase/dbt_format.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

Table::Table(DbFileSystem& files, std::string name) : m_files(files), m_name(std::move(name)) {}

Table::~Table() = default;

DbResult Table::Open(DbFileSystem& files, const std::string& name, std::unique_ptr<Table>* table) {
  std::unique_ptr<Table> result(new Table(files, name));
  if (auto opened = result->OpenFiles(); !opened) return opened;
  if (result->m_count > 0) {
    if (auto loaded = result->Load(1); !loaded) return loaded;
  } else {
    result->SetEnd();
  }
  *table = std::move(result);
  return DbResult::Success();
}

DbResult Table::OpenFiles() {
  int32_t ioError = 0;
  m_file = m_files.Open(m_name, OpenMode::ReadWrite, &ioError);
  // A table that may not be written is still read (writes then fail with " (Write)").
  if (!m_file && ioError == kIoAccessDenied) m_file = m_files.Open(m_name, OpenMode::ReadOnly, &ioError);
  if (!m_file) return DbResult::Io(m_name, IoStep::Reset, ioError);
  uint64_t size = 0;
  if (!m_file->Size(&size)) return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  uint8_t first[32];
  size_t got = 0;
  if (!m_file->Read(0, first, sizeof first, &got)) return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  if (got < sizeof first) return DbResult::NotDbase(m_name);
  const uint32_t headerLength = std::max<uint32_t>(DbfHeaderLength(first), 32);
  std::vector<uint8_t> bytes(headerLength);
  if (!m_file->Read(0, bytes.data(), headerLength, &got)) return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  if (auto parsed = ParseDbfHeader(bytes.data(), got, &m_header); !parsed) return parsed;
  m_count = static_cast<uint32_t>(CompleteRecords(m_header, size));
  m_buffer.assign(m_header.recordLength, ' ');
  if (m_header.HasMemo()) {
    m_memoName = SiblingName(m_name, ".DBT");
    m_memo = m_files.Open(m_memoName, OpenMode::ReadWrite, &ioError);
    if (!m_memo && ioError == kIoAccessDenied) m_memo = m_files.Open(m_memoName, OpenMode::ReadOnly, &ioError);
    if (!m_memo) return DbResult::Io(m_memoName, IoStep::Reset, ioError);
  }
  return DbResult::Success();
}

void Table::CloseFiles() {
  m_indexes.clear();
  m_memo.reset();
  m_file.reset();
}

DbResult Table::Close(const DbDate& today) {
  DbResult result;
  for (auto& attached : m_indexes) {
    if (auto flushed = attached.index->Flush(); !flushed && result) result = flushed;
  }
  m_indexes.clear();
  if (m_written && m_file) {
    m_files.NoteWrite();
    uint8_t raw[32];
    std::memcpy(raw, m_header.raw, 32);
    StampDbfHeader(raw, m_count, today);
    const uint8_t end = kFileEnd;
    if (!m_file->Write(0, raw, 4 + 4) || !m_file->Write(RecordOffset(m_count + 1), &end, 1)) {
      if (result) result = DbResult::Io(m_name, IoStep::Write, m_file->LastError());
    }
  }
  if (m_file) m_file->Flush();
  if (m_memo) m_memo->Flush();
  CloseFiles();
  return result;
}

void Table::SetMemoWidth(int64_t width) { m_memoWidth = ClampMemoWidth(width); }

uint64_t Table::RecordOffset(uint32_t record) const {
  return uint64_t{m_header.headerLength} + uint64_t{record - 1} * m_header.recordLength;
}

// --- moves ---------------------------------------------------------------------------

DbResult Table::ReadRecord(uint32_t record, uint8_t* bytes) {
  if (!m_file) return DbResult::Io(m_name, IoStep::Read, kIoReadError);
  if (!ReadExactly(*m_file, RecordOffset(record), bytes, m_header.recordLength)) {
    return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  }
  return DbResult::Success();
}

DbResult Table::Load(uint32_t record) {
  if (record < 1 || record > m_count) return DbResult::Record(record);
  const uint32_t length = m_header.recordLength;
  const bool cached = m_aheadGeneration == m_files.WriteGeneration() && record >= m_aheadFirst &&
                      record < m_aheadFirst + m_aheadCount;
  if (!cached && m_record != 0 && record == m_record + 1 && record < m_count) {
    // Reading on in file order: the following records come in one read.
    const uint32_t n = std::min<uint32_t>(std::max<uint32_t>(1, 65536 / length), m_count - record + 1);
    m_ahead.resize(uint64_t{n} * length);
    if (!m_file || !ReadExactly(*m_file, RecordOffset(record), m_ahead.data(), m_ahead.size())) {
      m_aheadCount = 0;
      return DbResult::Io(m_name, IoStep::Read, m_file ? m_file->LastError() : kIoReadError);
    }
    m_aheadFirst = record;
    m_aheadCount = n;
    m_aheadGeneration = m_files.WriteGeneration();
  }
  if (m_aheadGeneration == m_files.WriteGeneration() && record >= m_aheadFirst && record < m_aheadFirst + m_aheadCount) {
    m_scratch.assign(m_ahead.begin() + uint64_t{record - m_aheadFirst} * length,
                     m_ahead.begin() + uint64_t{record - m_aheadFirst + 1} * length);
  } else {
    // Read aside first: a failed read leaves the buffer as it was.
    m_scratch.resize(length);
    if (auto read = ReadRecord(record, m_scratch.data()); !read) return read;
  }
  m_buffer.swap(m_scratch);
  m_record = record;
  m_bufferSource = record;
  m_deleted = m_buffer[0] == '*';
  m_eof = false;
  return DbResult::Success();
}

void Table::Blank() {
  std::fill(m_buffer.begin(), m_buffer.end(), ' ');
  m_bufferSource = 0;
}

void Table::SetEnd() {
  m_eof = true;
  if (m_count == 0) {
    Blank();
    m_record = 0;
    m_deleted = false;
  }
}

// Puts the master index's cursor on the current record.
DbResult Table::Position() {
  NdxIndex& index = *m_indexes.front().index;
  if ((m_cursorValid && index.Positioned()) || m_record == 0) return DbResult::Success();
  std::vector<uint8_t> record(m_header.recordLength);
  if (auto read = ReadRecord(m_record, record.data()); !read) return read;
  uint8_t key[kMaxKeyLength + 8];
  BuildKey(m_indexes.front().key, Fields(), record.data(), key);
  bool found = false;
  if (auto located = index.Locate(key, m_record, &found); !located) return located;
  m_cursorValid = found;
  return DbResult::Success();
}

DbResult Table::Go(int64_t record) {
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  if (record < 1 || record > m_count) return DbResult::Record(record);
  // The index cursor follows at the next move in index order.
  m_cursorValid = false;
  return Load(static_cast<uint32_t>(record));
}

// Reads the record an index entry names; entries naming no record end the walk.
DbResult Table::LoadFromIndex(uint32_t record) {
  if (record == 0 || record > m_count) {
    m_eof = true;
    m_cursorValid = false;
    return DbResult::Success();
  }
  if (auto loaded = Load(record); !loaded) return loaded;
  m_cursorValid = true;
  return DbResult::Success();
}

DbResult Table::Top() {
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  if (!Active()) return Go(1);
  uint32_t record = 0;
  if (auto moved = m_indexes.front().index->First(&record); !moved) return moved;
  return LoadFromIndex(record);
}

DbResult Table::Bottom() {
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  if (!Active()) return Go(m_count);
  uint32_t record = 0;
  if (auto moved = m_indexes.front().index->Last(&record); !moved) return moved;
  return LoadFromIndex(record);
}

DbResult Table::Next(int64_t count) {
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  if (count < 1) return DbResult::Success();
  if (!Active()) {
    const int64_t target = int64_t{m_record} + count;
    if (target > m_count) {
      // Past the last record: the end flag, the buffer as it was.
      m_eof = true;
      return DbResult::Success();
    }
    return Load(static_cast<uint32_t>(target));
  }
  if (auto positioned = Position(); !positioned) return positioned;
  NdxIndex& index = *m_indexes.front().index;
  if (!m_cursorValid) return Top();
  uint32_t record = 0;
  for (int64_t i = 0; i < count; ++i) {
    if (auto moved = index.Next(&record); !moved) return moved;
    if (record == 0) {
      m_eof = true;
      m_cursorValid = false;
      return DbResult::Success();
    }
  }
  return LoadFromIndex(record);
}

DbResult Table::Prev(int64_t count) {
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  if (count < 1) return DbResult::Success();
  if (!Active()) {
    const int64_t target = std::max<int64_t>(1, int64_t{m_record} - count);
    return Load(static_cast<uint32_t>(target));
  }
  if (auto positioned = Position(); !positioned) return positioned;
  if (!m_cursorValid) return Top();
  NdxIndex& index = *m_indexes.front().index;
  uint32_t record = 0;
  for (int64_t i = 0; i < count; ++i) {
    uint32_t previous = 0;
    if (auto moved = index.Prev(&previous); !moved) return moved;
    // Not before the first: the first stays.
    if (previous == 0) return Top();
    record = previous;
  }
  return LoadFromIndex(record);
}

DbResult Table::IndexNth(int64_t count) {
  if (!Active()) return Go(count);
  if (auto top = Top(); !top || count <= 1 || m_eof) return top;
  return Next(count - 1);
}

// --- fields ----------------------------------------------------------------------------

int32_t Table::FieldNumber(const std::string& name) const {
  const std::string wanted = UpperCase(name);
  size_t begin = 0, end = wanted.size();
  while (begin < end && wanted[begin] == ' ') ++begin;
  while (end > begin && wanted[end - 1] == ' ') --end;
  const std::string trimmed = wanted.substr(begin, end - begin);
  for (size_t i = 0; i < Fields().size(); ++i) {
    if (UpperCase(Fields()[i].name) == trimmed) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

void Table::Touch(int32_t index) {
  if (index < 0) {
    m_last = LastField{};
    return;
  }
  const DbfField& field = Fields()[index];
  m_last = {field.type, field.length, field.decimals, field.name, index + 1};
}

DbResult Table::FieldFor(const std::string& name, int32_t missingError, int32_t* index) {
  const int32_t number = FieldNumber(name);
  *index = number - 1;
  Touch(*index);
  return number > 0 ? DbResult::Success() : DbResult::Of(missingError);
}

DbResult Table::FieldFor(int32_t number, int32_t missingError, int32_t* index) {
  const bool valid = number >= 1 && number <= static_cast<int32_t>(Fields().size());
  *index = valid ? number - 1 : -1;
  Touch(*index);
  return valid ? DbResult::Success() : DbResult::Of(missingError);
}

DbResult Table::GetField(const std::string& name, std::string* text) {
  int32_t index = 0;
  if (auto found = FieldFor(name, kErrReadField, &index); !found) return found;
  const DbfField& field = Fields()[index];
  text->assign(reinterpret_cast<const char*>(m_buffer.data() + field.offset), field.length);
  return DbResult::Success();
}

DbResult Table::GetField(int32_t number, std::string* text) {
  int32_t index = 0;
  if (auto found = FieldFor(number, kErrReadFieldNumber, &index); !found) return found;
  const DbfField& field = Fields()[index];
  text->assign(reinterpret_cast<const char*>(m_buffer.data() + field.offset), field.length);
  return DbResult::Success();
}

namespace {

void Fill(uint8_t* target, size_t width, const std::string& text) {
  std::memset(target, ' ', width);
  std::memcpy(target, text.data(), std::min(width, text.size()));
}

}  // namespace

DbResult Table::PutField(const std::string& name, const std::string& text) {
  int32_t index = 0;
  if (auto found = FieldFor(name, kErrWriteField, &index); !found) return found;
  const DbfField& field = Fields()[index];
  // Memo fields hold block numbers: only DBPUTMEMO writes them.
  if (field.type == 'M') return DbResult::Of(kErrWriteField);
  Fill(m_buffer.data() + field.offset, field.length, text);
  return DbResult::Success();
}

DbResult Table::PutField(int32_t number, const std::string& text) {
  int32_t index = 0;
  if (auto found = FieldFor(number, kErrWriteFieldNumber, &index); !found) return found;
  const DbfField& field = Fields()[index];
  if (field.type == 'M') return DbResult::Of(kErrWriteFieldNumber);
  Fill(m_buffer.data() + field.offset, field.length, text);
  return DbResult::Success();
}

// --- writing -----------------------------------------------------------------------------

// The count in the file, which another slot on the same file may have raised.
DbResult Table::RereadCount(uint32_t* count) {
  *count = m_count;
  // Nothing was written on this file system since this table's own last write: no other
  // slot can have raised the count.
  if (m_ownGeneration != 0 && m_ownGeneration == m_files.WriteGeneration()) return DbResult::Success();
  uint8_t bytes[4];
  if (!ReadExactly(*m_file, 4, bytes, 4)) return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  *count = m_count;
  if (GetLittle32(bytes) <= m_count) return DbResult::Success();
  // Raised elsewhere: as far as complete records back it.
  uint64_t size = 0;
  if (!m_file->Size(&size)) return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
  DbfHeader fileView = m_header;
  fileView.recordCount = GetLittle32(bytes);
  *count = std::max<uint32_t>(m_count, static_cast<uint32_t>(CompleteRecords(fileView, size)));
  return DbResult::Success();
}

DbResult Table::WriteBuffer(uint32_t target, uint32_t* written) {
  *written = 0;
  if (!m_file) return DbResult::Io(m_name, IoStep::Write, kIoWriteError);
  uint32_t count = m_count;
  if (auto reread = RereadCount(&count); !reread) return reread;
  const bool append = target == 0 || target > count;
  if (append) {
    if (count == 0xFFFFFFFEu) return DbResult::Io(m_name, IoStep::Write, kIoWriteError);
    target = count + 1;
  }
  m_count = std::max(m_count, count);
  // A buffer read from another record shares that record's memo blocks: the record written
  // here gets copies, so that a later memo written in place changes only one of them.
  if (m_memo && m_bufferSource != 0 && m_bufferSource != target) {
    uint32_t nextFree = 0;
    if (auto free = MemoNextFree(&nextFree); !free) return free;
    if (auto copied = CopyMemos(m_buffer.data(), *m_memo, m_memoName, *m_memo, m_memoName, &nextFree); !copied) {
      return copied;
    }
    if (auto header = WriteMemoHeader(*m_memo, m_memoName, nextFree); !header) return header;
  }
  std::vector<uint8_t> old;
  if (!append && Active()) {
    old.resize(m_header.recordLength);
    if (auto read = ReadRecord(target, old.data()); !read) return read;
  }
  // An appended record goes with the end byte after it, then the count follows: a run that
  // ends at any point leaves a table whose count names only complete records.
  if (append) m_buffer.push_back(kFileEnd);
  m_files.NoteWrite();
  const bool wrote = m_file->Write(RecordOffset(target), m_buffer.data(), m_buffer.size());
  if (append) m_buffer.pop_back();
  if (!wrote) return DbResult::Io(m_name, IoStep::Write, m_file->LastError());
  m_written = true;
  if (append) {
    uint8_t countBytes[4];
    PutLittle32(countBytes, target);
    if (!m_file->Write(4, countBytes, 4)) return DbResult::Io(m_name, IoStep::Write, m_file->LastError());
    m_count = target;
  }
  m_ownGeneration = m_files.WriteGeneration();
  m_record = target;
  m_bufferSource = target;
  m_deleted = m_buffer[0] == '*';
  m_eof = false;
  m_cursorValid = false;
  if (auto updated = UpdateIndexes(append ? nullptr : old.data(), target); !updated) return updated;
  *written = target;
  return DbResult::Success();
}

// Every attached index follows the record with its own expression; a changed key leaves
// its place and is inserted where it now belongs.
DbResult Table::UpdateIndexes(const uint8_t* oldRecord, uint32_t record) {
  DbResult result;
  for (auto& attached : m_indexes) {
    uint8_t newKey[kMaxKeyLength + 8], oldKey[kMaxKeyLength + 8];
    BuildKey(attached.key, Fields(), m_buffer.data(), newKey);
    if (oldRecord) {
      BuildKey(attached.key, Fields(), oldRecord, oldKey);
      if (std::memcmp(oldKey, newKey, attached.key.length) == 0) continue;
      bool found = false;
      if (auto removed = attached.index->Remove(oldKey, record, &found); !removed) {
        if (result) result = removed;
        continue;
      }
    }
    if (auto inserted = attached.index->Insert(newKey, record); !inserted && result) result = inserted;
  }
  return result;
}

DbResult Table::PutRecord(int64_t record, uint32_t* written) {
  *written = 0;
  if (record < 0) return DbResult::Record(record);
  uint32_t target = record == 0 ? m_record : (record > 0xFFFFFFFFll ? 0 : static_cast<uint32_t>(record));
  if (record > m_count) target = 0;
  return WriteBuffer(target, written);
}

DbResult Table::AppendBlank(uint32_t* record) {
  if (auto appended = WriteBuffer(0, record); !appended) return appended;
  Blank();
  m_deleted = false;
  return DbResult::Success();
}

DbResult Table::Delete() {
  if (m_record == 0) return DbResult::Record(0);
  m_buffer[0] = '*';
  uint32_t written = 0;
  return WriteBuffer(m_record, &written);
}

DbResult Table::Undelete() {
  if (m_record == 0) return DbResult::Record(0);
  m_buffer[0] = ' ';
  uint32_t written = 0;
  return WriteBuffer(m_record, &written);
}

DbResult Table::Seek(const std::string& fieldName, const std::string& text, SeekMode mode, uint32_t* found) {
  *found = 0;
  int32_t index = 0;
  if (auto field = FieldFor(fieldName, kErrFieldNotFound, &index); !field) return field;
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  const DbfField& field = Fields()[index];
  auto trim = [](std::string value) {
    size_t begin = 0, end = value.size();
    while (begin < end && value[begin] == ' ') ++begin;
    while (end > begin && value[end - 1] == ' ') --end;
    return value.substr(begin, end - begin);
  };
  const std::string wanted = UpperCase(mode == SeekMode::Equal ? trim(text) : text);
  uint32_t record = std::max<uint32_t>(m_record, 1);
  std::vector<uint8_t> bytes(m_header.recordLength);
  for (; record <= m_count; ++record) {
    if (auto read = ReadRecord(record, bytes.data()); !read) return read;
    std::string value = UpperCase(std::string(reinterpret_cast<const char*>(bytes.data() + field.offset), field.length));
    bool match = false;
    if (mode == SeekMode::Contains) match = value.find(wanted) != std::string::npos;
    if (mode == SeekMode::Begins) match = value.compare(0, wanted.size(), wanted) == 0;
    if (mode == SeekMode::Equal) match = trim(value) == wanted;
    if (match) {
      m_cursorValid = false;
      if (auto loaded = Load(record); !loaded) return loaded;
      *found = record;
      return DbResult::Success();
    }
  }
  // Deliberate: as moving NEXT past the end, the last record stays in the buffer.
  m_eof = true;
  return DbResult::Success();
}

// --- indexes -------------------------------------------------------------------------------

void Table::DetachIndexes() {
  for (auto& attached : m_indexes) attached.index->Flush();
  m_indexes.clear();
  m_cursorValid = false;
}

DbResult Table::OpenIndex(const std::string& name, Attached* attached) {
  if (auto opened = NdxIndex::Open(m_files, name, &attached->index); !opened) return opened;
  const NdxHeader& header = attached->index->Header();
  if (auto parsed = ParseKeyExpression(header.expression, Fields(), &attached->key); !parsed) return parsed;
  // The file must be an index of this expression on this table.
  if (attached->key.length != header.keyLength || attached->key.numeric != header.Numeric()) {
    return DbResult::Index(name);
  }
  return DbResult::Success();
}

DbResult Table::AttachIndexes(const std::vector<std::string>& names, bool* attached) {
  DetachIndexes();
  *attached = false;
  std::vector<Attached> opened;
  for (const auto& name : names) {
    // Deliberate: names past the sixteenth are ignored.
    if (opened.size() >= static_cast<size_t>(kMaxIndexes)) break;
    Attached one;
    if (!OpenIndex(WithExtension(name, ".NDX"), &one)) {
      opened.clear();
      break;
    }
    opened.push_back(std::move(one));
  }
  m_indexes = std::move(opened);
  *attached = !m_indexes.empty();
  if (auto top = Top(); !top && top.error == kErrIndexDamaged) {
    // A tree that cannot even be descended is not attached: DBINDEX reports no error.
    m_indexes.clear();
    *attached = false;
    return Top();
  }
  return Top();
}

DbResult Table::CreateIndex(const std::string& expression, const std::string& name) {
  DetachIndexes();
  if (!m_file) return DbResult::Io(m_name, IoStep::Read, kIoReadError);
  KeyExpression key;
  if (auto parsed = ParseKeyExpression(expression, Fields(), &key); !parsed) return parsed;
  const std::string indexName = WithExtension(name, ".NDX");
  const std::string temporary = SiblingName(indexName, ".NX$");
  DbResult result;
  {
    std::unique_ptr<NdxIndex> index;
    if (auto created = NdxIndex::Create(m_files, temporary, expression, key.length, key.numeric, &index); !created) {
      int32_t ignored = 0;
      m_files.Remove(temporary, &ignored);
      return created;
    }
    // Every record in file order, deleted ones too, read in runs of records; the keys are
    // then sorted and the pages written in one go.
    const uint32_t run = std::max<uint32_t>(1, 65536 / m_header.recordLength);
    std::vector<uint8_t> bytes(uint64_t{run} * m_header.recordLength);
    std::vector<uint8_t> keys(uint64_t{m_count} * key.length);
    std::vector<uint32_t> records(m_count);
    for (uint32_t first = 1; first <= m_count && result; first += run) {
      const uint32_t n = std::min(run, m_count - first + 1);
      if (!ReadExactly(*m_file, RecordOffset(first), bytes.data(), uint64_t{n} * m_header.recordLength)) {
        result = DbResult::Io(m_name, IoStep::Read, m_file->LastError());
        break;
      }
      for (uint32_t i = 0; i < n; ++i) {
        BuildKey(key, Fields(), bytes.data() + uint64_t{i} * m_header.recordLength,
                 keys.data() + uint64_t{first - 1 + i} * key.length);
        records[first - 1 + i] = first + i;
      }
    }
    if (result) result = index->BulkLoad(keys, records);
    if (result) result = index->Flush();
  }
  int32_t ioError = 0;
  if (result && !m_files.Rename(temporary, indexName, &ioError)) result = DbResult::Io(indexName, IoStep::Rewrite, ioError);
  if (!result) {
    m_files.Remove(temporary, &ioError);
    return result;
  }
  Attached attached;
  if (auto opened = OpenIndex(indexName, &attached); !opened) return opened;
  m_indexes.push_back(std::move(attached));
  return Top();
}

DbResult Table::Find(const std::string& text, bool exact, uint32_t* found) {
  *found = 0;
  if (!Active()) return DbResult::Success();
  NdxIndex& index = *m_indexes.front().index;
  uint8_t key[kMaxKeyLength + 8] = {};
  uint32_t length = index.KeyLength();
  if (index.Numeric()) {
    double value = 0;
    if (!ParseNumber(text, &value)) return DbResult::Of(kErrKeyField);
    PutLittleDouble(key, value);
  } else if (exact) {
    Fill(key, length, text);
  } else {
    length = static_cast<uint32_t>(std::min<size_t>(text.size(), length));
    std::memcpy(key, text.data(), length);
  }
  uint32_t record = 0;
  if (auto sought = index.Find(key, length, &record); !sought) return sought;
  // An entry that names no record of the table is not found.
  if (record == 0 || record > m_count) return DbResult::Success();
  if (auto loaded = Load(record); !loaded) return loaded;
  m_cursorValid = true;
  *found = record;
  return DbResult::Success();
}

// --- memos ---------------------------------------------------------------------------------

// The next free block: never below the header's value nor the blocks the file already
// spans (rounded up: other programs leave the last block unpadded); a header value past
// the file is taken as damaged; block 0 is the header.
DbResult Table::MemoNextFree(uint32_t* nextFree) {
  uint64_t size = 0;
  uint8_t bytes[4] = {};
  if (!m_memo->Size(&size) || !ReadExactly(*m_memo, 0, bytes, 4)) {
    return DbResult::Io(m_memoName, IoStep::Read, m_memo->LastError());
  }
  const uint64_t fileBlocks = (size + kMemoBlock - 1) / kMemoBlock;
  uint64_t header = GetLittle32(bytes);
  if (header > fileBlocks) header = fileBlocks;
  *nextFree = static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>({header, fileBlocks, 1}), 0xFFFFFFF0u));
  return DbResult::Success();
}

DbResult Table::WriteMemoHeader(DbFile& memo, const std::string& memoName, uint32_t nextFree) {
  uint8_t bytes[4];
  PutLittle32(bytes, nextFree);
  if (!memo.Write(0, bytes, 4)) return DbResult::Io(memoName, IoStep::Write, memo.LastError());
  return DbResult::Success();
}

// The bytes of a memo from its first block up to (not including) 0x1A or the end of the
// file; *blocks counts the blocks it spans with its end byte.
DbResult Table::ReadMemoChain(DbFile& memo, const std::string& memoName, uint32_t block, std::vector<uint8_t>* bytes,
                              uint32_t* blocks) {
  bytes->clear();
  *blocks = 0;
  uint64_t size = 0;
  if (!memo.Size(&size)) return DbResult::Io(memoName, IoStep::Read, memo.LastError());
  const uint64_t start = uint64_t{block} * kMemoBlock;
  if (block == 0 || start >= size) return DbResult::Io(memoName, IoStep::Seek, kIoReadError);
  uint8_t chunk[kMemoBlock];
  for (uint64_t at = start; at < size; at += kMemoBlock) {
    size_t got = 0;
    if (!memo.Read(at, chunk, kMemoBlock, &got)) return DbResult::Io(memoName, IoStep::Read, memo.LastError());
    ++*blocks;
    auto* end = static_cast<uint8_t*>(std::memchr(chunk, kFileEnd, got));
    if (end) {
      bytes->insert(bytes->end(), chunk, end);
      return DbResult::Success();
    }
    bytes->insert(bytes->end(), chunk, chunk + got);
    // Past the lines a memo may hold, the rest is not read.
    if (bytes->size() > static_cast<size_t>(kMaxMemoLines) * (kMaxMemoWidth + 2)) break;
  }
  return DbResult::Success();
}

// Copies the memos a record points to into `to` at *nextFree, updating the record.
DbResult Table::CopyMemos(uint8_t* record, DbFile& from, const std::string& fromName, DbFile& to,
                          const std::string& toName, uint32_t* nextFree) {
  for (const auto& field : Fields()) {
    if (field.type != 'M') continue;
    const std::string text(reinterpret_cast<const char*>(record + field.offset), field.length);
    uint32_t block = 0;
    const MemoPointer pointer = ParseMemoPointer(text, &block);
    if (pointer == MemoPointer::Blank) continue;
    if (pointer == MemoPointer::Invalid) return DbResult::Memo(kDetailNoNumber + text);
    std::vector<uint8_t> bytes;
    uint32_t blocks = 0;
    if (auto read = ReadMemoChain(from, fromName, block, &bytes, &blocks); !read) {
      return read.detail.find(kDetailSeek) != std::string::npos ? DbResult::Memo(kDetailFieldNumber) : read;
    }
    bytes.push_back(kFileEnd);
    bytes.push_back(kFileEnd);
    bytes.resize((bytes.size() + kMemoBlock - 1) / kMemoBlock * kMemoBlock, 0);
    if (!to.Write(uint64_t{*nextFree} * kMemoBlock, bytes.data(), bytes.size())) {
      return DbResult::Io(toName, IoStep::Write, to.LastError());
    }
    const std::string pointerText = FormatMemoPointer(*nextFree, field.length);
    std::memcpy(record + field.offset, pointerText.data(), field.length);
    *nextFree += static_cast<uint32_t>(bytes.size() / kMemoBlock);
  }
  return DbResult::Success();
}

DbResult Table::GetMemo(const std::string& fieldName, std::vector<std::string>* lines, int32_t* result) {
  lines->clear();
  *result = -1;
  int32_t index = 0;
  if (auto found = FieldFor(fieldName, kErrReadField, &index); !found) return found;
  const DbfField& field = Fields()[index];
  if (field.type != 'M' || !m_memo) return DbResult::Success();
  const std::string text(reinterpret_cast<const char*>(m_buffer.data() + field.offset), field.length);
  uint32_t block = 0;
  const MemoPointer pointer = ParseMemoPointer(text, &block);
  *result = 0;
  if (pointer == MemoPointer::Blank) return DbResult::Success();
  if (pointer == MemoPointer::Invalid) return DbResult::Memo(kDetailNoNumber + text);
  std::vector<uint8_t> bytes;
  uint32_t blocks = 0;
  if (auto read = ReadMemoChain(*m_memo, m_memoName, block, &bytes, &blocks); !read) return read;
  MemoSplitter splitter(m_memoWidth, lines);
  splitter.Feed(bytes.data(), bytes.size());
  splitter.Finish();
  // Blocks read plus the 1-based place of the end byte in the last of them.
  *result = static_cast<int32_t>(blocks + bytes.size() % kMemoBlock + 1);
  return DbResult::Success();
}

DbResult Table::PutMemo(const std::string& fieldName, const std::vector<std::string>& lines) {
  int32_t index = 0;
  if (auto found = FieldFor(fieldName, kErrWriteField, &index); !found) return found;
  const DbfField& field = Fields()[index];
  if (field.type != 'M') return DbResult::Of(kErrWriteField);
  if (!m_memo) return DbResult::Io(SiblingName(m_name, ".DBT"), IoStep::Reset, kIoFileNotFound);
  const std::vector<uint8_t> bytes = BuildMemo(lines);
  const uint32_t needed = static_cast<uint32_t>(bytes.size() / kMemoBlock);
  const std::string text(reinterpret_cast<const char*>(m_buffer.data() + field.offset), field.length);
  uint32_t block = 0, target = 0;
  // In place when the old memo is this record's own and its blocks hold the new one.
  if (ParseMemoPointer(text, &block) == MemoPointer::Valid && m_bufferSource != 0 && m_bufferSource == m_record) {
    std::vector<uint8_t> old;
    uint32_t blocks = 0;
    const DbResult read = ReadMemoChain(*m_memo, m_memoName, block, &old, &blocks);
    // An old pointer past the file is simply not reused; a failed read is an error.
    if (!read && read.detail != m_memoName + kDetailSeek) return read;
    if (read && needed <= blocks) target = block;
  }
  if (target == 0) {
    if (auto free = MemoNextFree(&target); !free) return free;
  }
  if (!m_memo->Write(uint64_t{target} * kMemoBlock, bytes.data(), bytes.size())) {
    return DbResult::Io(m_memoName, IoStep::Write, m_memo->LastError());
  }
  uint64_t size = 0;
  m_memo->Size(&size);
  if (auto header = WriteMemoHeader(*m_memo, m_memoName, static_cast<uint32_t>((size + kMemoBlock - 1) / kMemoBlock));
      !header) {
    return header;
  }
  const std::string pointerText = FormatMemoPointer(target, field.length);
  std::memcpy(m_buffer.data() + field.offset, pointerText.data(), field.length);
  return DbResult::Success();
}

// --- PACK --------------------------------------------------------------------------------

namespace {

// Temporary files of PACK live beside the table, so that the swap is a rename within one
// folder and nothing is written where the user did not put the table.
struct PackNames {
  std::string newTable, newMemo, oldTable, oldMemo;
};

PackNames PackNamesFor(const std::string& table) {
  return {SiblingName(table, ".$DB"), SiblingName(table, ".$DT"), SiblingName(table, ".$OB"),
          SiblingName(table, ".$OT")};
}

}  // namespace

DbResult Table::Pack(const DbDate& today, uint32_t* count) {
  *count = m_count;
  DetachIndexes();
  if (!m_file) return DbResult::Io(m_name, IoStep::Read, kIoReadError);
  // Which records stay.
  std::vector<uint8_t> all;
  const uint64_t bytesTotal = uint64_t{m_count} * m_header.recordLength;
  if (bytesTotal > 0) {
    all.resize(bytesTotal);
    if (!ReadExactly(*m_file, m_header.headerLength, all.data(), all.size())) {
      return DbResult::Io(m_name, IoStep::Read, m_file->LastError());
    }
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < m_count; ++i) kept += all[uint64_t{i} * m_header.recordLength] != '*';
  if (kept == m_count) return Top();

  m_files.NoteWrite();
  const PackNames names = PackNamesFor(m_name);
  const bool hasMemo = m_memo != nullptr;
  int32_t ioError = 0;
  auto cleanup = [&]() {
    int32_t ignored = 0;
    m_files.Remove(names.newTable, &ignored);
    if (hasMemo) m_files.Remove(names.newMemo, &ignored);
  };
  DbResult result;
  {
    auto table = m_files.Open(names.newTable, OpenMode::Create, &ioError);
    if (!table) {
      cleanup();
      return DbResult::Io(names.newTable, IoStep::Rewrite, ioError);
    }
    std::unique_ptr<DbFile> memo;
    uint32_t nextFree = 1;
    if (m_memo) {
      memo = m_files.Open(names.newMemo, OpenMode::Create, &ioError);
      if (!memo) result = DbResult::Io(names.newMemo, IoStep::Rewrite, ioError);
      std::vector<uint8_t> header(kMemoBlock, 0);
      PutLittle32(header.data(), 1);
      if (result && !memo->Write(0, header.data(), header.size())) {
        result = DbResult::Io(names.newMemo, IoStep::Write, memo->LastError());
      }
    }
    // The header as read (bytes the reader ignores are kept), the new count and date.
    std::vector<uint8_t> out(m_header.headerLength);
    if (result && !ReadExactly(*m_file, 0, out.data(), out.size())) result = DbResult::Io(m_name, IoStep::Read, m_file->LastError());
    StampDbfHeader(out.data(), kept, today);
    for (uint32_t i = 0; i < m_count && result; ++i) {
      uint8_t* record = all.data() + uint64_t{i} * m_header.recordLength;
      if (record[0] == '*') continue;
      if (memo) result = CopyMemos(record, *m_memo, m_memoName, *memo, names.newMemo, &nextFree);
      out.insert(out.end(), record, record + m_header.recordLength);
    }
    out.push_back(kFileEnd);
    if (result && (!table->Write(0, out.data(), out.size()) || !table->Flush())) {
      result = DbResult::Io(names.newTable, IoStep::Write, table->LastError());
    }
    if (result && memo) {
      result = WriteMemoHeader(*memo, names.newMemo, nextFree);
      if (result && !memo->Flush()) result = DbResult::Io(names.newMemo, IoStep::Write, memo->LastError());
    }
  }
  if (!result) {
    cleanup();
    return result;
  }
  // The swap: old files aside, new files in, old files deleted. The table's own handles
  // are closed first (an open file cannot be renamed everywhere). Each failure undoes the
  // renames before it.
  m_memo.reset();
  m_file.reset();
  std::vector<std::pair<std::string, std::string>> done;
  auto rename = [&](const std::string& from, const std::string& to) {
    if (!m_files.Rename(from, to, &ioError)) return false;
    done.emplace_back(from, to);
    return true;
  };
  bool swapped = rename(m_name, names.oldTable) && (!hasMemo || rename(m_memoName, names.oldMemo)) &&
                 rename(names.newTable, m_name) && (!hasMemo || rename(names.newMemo, m_memoName));
  if (!swapped) {
    const DbResult failure = DbResult::Io(m_name, IoStep::Rewrite, ioError);
    for (auto step = done.rbegin(); step != done.rend(); ++step) {
      int32_t ignored = 0;
      m_files.Rename(step->second, step->first, &ignored);
    }
    cleanup();
    if (auto reopened = OpenFiles(); !reopened) return reopened;
    if (m_count > 0) Load(std::min<uint32_t>(std::max<uint32_t>(m_record, 1), m_count));
    return failure;
  }
  int32_t ignored = 0;
  m_files.Remove(names.oldTable, &ignored);
  if (hasMemo) m_files.Remove(names.oldMemo, &ignored);
  m_written = false;
  if (auto reopened = OpenFiles(); !reopened) return reopened;
  *count = m_count;
  m_record = 0;
  if (m_count == 0) {
    SetEnd();
    return DbResult::Success();
  }
  return Top();
}

// --- DBCREATE --------------------------------------------------------------------------------

namespace {

std::string TrimPart(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// A whole number of digits (at most 6, so it cannot overflow); -1 when it is none.
int32_t Digits(const std::string& text) {
  if (text.empty() || text.size() > 6) return -1;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

DbResult ParseDefinitions(const std::string& text, std::vector<DbfField>* fields) {
  std::vector<DbfField> result;
  uint64_t recordLength = 1;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = TrimPart(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
      const size_t semicolon = line.find(';', from);
      parts.push_back(TrimPart(line.substr(from, semicolon == std::string::npos ? std::string::npos : semicolon - from)));
      if (semicolon == std::string::npos) break;
      from = semicolon + 1;
    }
    parts.resize(std::max<size_t>(parts.size(), 4));
    DbfField field;
    field.name = UpperCase(parts[0]).substr(0, kFieldNameLength);
    if (field.name.empty()) return DbResult::Of(kErrFieldNotFound);
    const char type = parts[1].empty() ? 'C' : UpperCase(parts[1]).front();
    field.type = (type == 'C' || type == 'D' || type == 'L' || type == 'M' || type == 'N') ? type : 'C';
    int32_t length = 0, decimals = 0;
    switch (field.type) {
      case 'D': length = 8; break;
      case 'L': length = 1; break;
      case 'M': length = 10; break;
      default:
        length = Digits(parts[2]);
        if (length <= 0 || length > kMaxFieldLength) return DbResult::Of(kErrFieldLength);
    }
    if (field.type == 'N' && !parts[3].empty()) {
      decimals = Digits(parts[3]);
      if (decimals < 0 || decimals > length) return DbResult::Of(kErrDecimals);
    }
    field.length = static_cast<uint8_t>(length);
    field.decimals = static_cast<uint8_t>(decimals);
    field.offset = static_cast<uint32_t>(recordLength);
    for (const auto& other : result) {
      if (other.name == field.name) return DbResult::Of(kErrDuplicateField);
    }
    recordLength += static_cast<uint64_t>(length);
    if (recordLength > static_cast<uint64_t>(kMaxRecordLength)) return DbResult::Of(kErrFieldLength);
    result.push_back(std::move(field));
    if (result.size() > static_cast<size_t>(kMaxFields)) return {kErrDbase, kCodeLimit, "> 128"};
  }
  if (result.empty()) return {kErrDbase, kCodeLimit, "0"};
  *fields = std::move(result);
  return DbResult::Success();
}

DbResult CreateTable(DbFileSystem& files, const std::string& definitionFile, const std::string& tableName,
                     const DbDate& today) {
  int32_t ioError = 0;
  std::string text;
  {
    auto definitions = files.Open(definitionFile, OpenMode::ReadOnly, &ioError);
    if (!definitions) return DbResult::Io(definitionFile, IoStep::Reset, ioError);
    uint64_t size = 0;
    if (!definitions->Size(&size)) return DbResult::Io(definitionFile, IoStep::Read, definitions->LastError());
    // 128 fields of generous lines at most.
    if (size > 1 << 20) return {kErrDbase, kCodeLimit, definitionFile};
    text.resize(static_cast<size_t>(size));
    if (!ReadExactly(*definitions, 0, text.data(), text.size())) {
      return DbResult::Io(definitionFile, IoStep::Read, definitions->LastError());
    }
  }
  std::vector<DbfField> fields;
  if (auto parsed = ParseDefinitions(text, &fields); !parsed) return parsed;
  std::vector<uint8_t> bytes = BuildDbfHeader(fields, today);
  bytes.push_back(kFileEnd);
  const bool memo = bytes[0] == kVersionMemo;
  const std::string memoName = SiblingName(tableName, ".DBT");
  const std::string tableTemporary = SiblingName(tableName, ".$CB");
  const std::string memoTemporary = SiblingName(tableName, ".$CT");
  DbResult result;
  {
    auto table = files.Open(tableTemporary, OpenMode::Create, &ioError);
    if (!table) return DbResult::Io(tableTemporary, IoStep::Rewrite, ioError);
    if (!table->Write(0, bytes.data(), bytes.size()) || !table->Flush()) {
      result = DbResult::Io(tableName, IoStep::Write, table->LastError());
    }
    if (result && memo) {
      auto memoFile = files.Open(memoTemporary, OpenMode::Create, &ioError);
      if (!memoFile) {
        result = DbResult::Io(memoName, IoStep::Rewrite, ioError);
      } else {
        // The header block (next free block 1), then one end byte.
        std::vector<uint8_t> block(kMemoBlock + 1, 0);
        PutLittle32(block.data(), 1);
        block[kMemoBlock] = kFileEnd;
        if (!memoFile->Write(0, block.data(), block.size()) || !memoFile->Flush()) {
          result = DbResult::Io(memoName, IoStep::Write, memoFile->LastError());
        }
      }
    }
  }
  if (result && memo && !files.Rename(memoTemporary, memoName, &ioError)) result = DbResult::Io(memoName, IoStep::Rewrite, ioError);
  if (result && !files.Rename(tableTemporary, tableName, &ioError)) {
    result = DbResult::Io(tableName, IoStep::Rewrite, ioError);
    // The memo file of a table that was not made goes too.
    int32_t ignored = 0;
    if (memo) files.Remove(memoName, &ignored);
  }
  if (!result) {
    int32_t ignored = 0;
    files.Remove(tableTemporary, &ignored);
    if (memo) files.Remove(memoTemporary, &ignored);
  }
  return result;
}

}  // namespace talven::dbase
