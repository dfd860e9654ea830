#pragma once
// One open index file: descent, a cursor in key order, insertion with page and root
// splits, removal, and a walk that checks the whole tree. Up to 512 pages are cached; each
// changing operation writes its pages before it returns (unless writes are deferred while
// a new index is built).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/dbase/db_file.h"
#include "library/dbase/db_result.h"
#include "library/dbase/ndx_format.h"

namespace talven::dbase {

struct NdxEntry {
  std::string key;  // key length bytes
  uint32_t record = 0;
};

struct NdxCheck {
  std::vector<NdxEntry> entries;      // in tree order
  std::vector<std::string> problems;  // empty when the tree is sound
  uint32_t depth = 0;
  uint32_t pages = 0;
};

class NdxIndex {
 public:
  ~NdxIndex();
  static DbResult Open(DbFileSystem& files, const std::string& name, std::unique_ptr<NdxIndex>* index);
  // A new, empty index: root page 1, next free page 2.
  static DbResult Create(DbFileSystem& files, const std::string& name, const std::string& expression,
                         uint32_t keyLength, bool numeric, std::unique_ptr<NdxIndex>* index);

  const NdxHeader& Header() const { return m_header; }
  const std::string& Name() const { return m_name; }
  uint32_t KeyLength() const { return m_header.keyLength; }
  bool Numeric() const { return m_header.Numeric(); }

  // Fills a new, empty index with `count` keys (key length bytes each, in `keys`) of the
  // records in `records`: sorted, leaves filled, branch levels built upwards.
  DbResult BulkLoad(const std::vector<uint8_t>& keys, const std::vector<uint32_t>& records);

  // Entries are kept in key order, equal keys by record number.
  DbResult Insert(const uint8_t* key, uint32_t record);
  DbResult Remove(const uint8_t* key, uint32_t record, bool* found);

  // The cursor: each call gives the record at the new position, 0 past either end.
  DbResult First(uint32_t* record);
  DbResult Last(uint32_t* record);
  DbResult Next(uint32_t* record);
  DbResult Prev(uint32_t* record);
  bool Positioned() const { return m_positioned; }
  // Puts the cursor on the entry of that key and record.
  DbResult Locate(const uint8_t* key, uint32_t record, bool* found);
  // The first entry whose key begins with the `length` bytes of `key` (the full key
  // length for an exact search); 0 when there is none.
  DbResult Find(const uint8_t* key, uint32_t length, uint32_t* record);

  void DeferWrites(bool defer) { m_deferred = defer; }
  DbResult Flush();
  // Walks every page from the root.
  NdxCheck Check();

 private:
  struct Step {
    uint32_t page;
    uint32_t pos;
  };
  struct CachedPage {
    uint32_t number = 0;
    uint64_t used = 0;
    bool dirty = false;
    uint8_t bytes[kPageSize] = {};
  };
  // Room for one entry more than a page holds, while a page is split.
  static constexpr size_t kWorkSize = kPageSize + 128;
  using Work = uint8_t[kWorkSize];

  NdxIndex(DbFileSystem& files, std::string name, std::unique_ptr<DbFile> file);
  NdxPageView View(uint8_t* bytes) const { return NdxPageView{bytes, m_header.entrySize}; }
  DbResult Load(uint32_t number, uint8_t* bytes);
  DbResult Store(uint32_t number, const uint8_t* bytes, bool fresh);
  DbResult WriteBack(CachedPage& page);
  // The slot of page `number`: its own when cached, else a free one or the one given up
  // (written back first); nullptr after a failed write-back, `*result` then says why.
  CachedPage* SlotFor(uint32_t number, bool* cached, DbResult* result);
  // The slot to give up when the cache is full.
  CachedPage& Victim();
  void Forget(CachedPage& page);
  void ForgetAll();
  DbResult Damaged() const;
  DbResult Finish(DbResult result);
  bool ValidChild(uint32_t page) const { return page != 0 && page < m_header.nextFree; }
  int Compare(const uint8_t* entryKey, const uint8_t* key, uint32_t length) const;

  DbResult Descend(const uint8_t* key, uint32_t length);
  DbResult DescendEdge(uint32_t page, bool rightmost);
  // Moves onto a valid entry at or after the cursor; *valid false past the end.
  DbResult Normalize(bool* valid);
  DbResult StepBack(bool* valid);
  DbResult Current(uint32_t* record);
  DbResult Seek(const uint8_t* key, uint32_t record, bool* found, bool* valid);

  DbResult InsertAt(size_t level, const uint8_t* key, uint32_t left, uint32_t record);
  DbResult RemoveAt(size_t level);
  DbResult RemoveChild(size_t level);
  DbResult UpdateMax(size_t level, const uint8_t* key);
  void CheckPage(uint32_t number, uint32_t depth, std::vector<bool>& seen, NdxCheck& check,
                 std::vector<uint32_t>& leafDepths);

  DbFileSystem& m_files;
  std::string m_name;
  std::unique_ptr<DbFile> m_file;
  NdxHeader m_header;
  bool m_headerDirty = false;
  bool m_deferred = false;
  std::vector<CachedPage> m_cache;
  std::unordered_map<uint32_t, uint32_t> m_slotOf;  // page number -> index in m_cache
  uint32_t m_hand = 0;                              // where Victim looks next
  uint64_t m_clock = 0;
  std::vector<Step> m_path;
  bool m_positioned = false;
};

}  // namespace talven::dbase
