// Tables: opening with every check a hostile file needs, moves, fields, writes that keep
// the count in the file current, and indexes kept in step with every write (memos and
// PACK: table_memo.cpp; DBCREATE: table_create.cpp).

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

DbResult Table::Seek(const std::string& fieldName, const std::string& text, SeekMode mode, uint32_t* found,
                     const std::array<uint8_t, 256>* fold) {
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
  // The records come in runs of up to 64 KB: one read for many records.
  const uint32_t length = m_header.recordLength;
  const uint32_t run = std::max<uint32_t>(1, 65536 / length);
  std::vector<uint8_t> bytes;
  uint32_t first = 0, held = 0;
  for (; record <= m_count; ++record) {
    if (record >= first + held) {
      first = record;
      held = std::min(run, m_count - record + 1);
      bytes.resize(uint64_t{held} * length);
      if (!m_file || !ReadExactly(*m_file, RecordOffset(first), bytes.data(), bytes.size())) {
        return DbResult::Io(m_name, IoStep::Read, m_file ? m_file->LastError() : kIoReadError);
      }
    }
    const uint8_t* at = bytes.data() + uint64_t{record - first} * length;
    std::string value(reinterpret_cast<const char*>(at + field.offset), field.length);
    if (fold != nullptr) {
      for (char& c : value) c = static_cast<char>((*fold)[static_cast<uint8_t>(c)]);
    }
    value = UpperCase(std::move(value));
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

}  // namespace talven::dbase
