// Tables, second part: memo chains (reading, writing, copying) and PACK, which rebuilds
// the table and its memo file beside them and swaps them in.

#include "library/dbase/table.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "library/dbase/dbt_format.h"
#include "library/dbase/limits.h"

namespace talven::dbase {

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

}  // namespace talven::dbase
