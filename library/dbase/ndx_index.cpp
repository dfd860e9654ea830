// The index tree. Every page read is checked before it is trusted: its entry count against
// keys per page, each child page against the next free page, the depth against a cap that
// no real index reaches (so a cycle of pages ends as a damaged index, not a hang).

#include "library/dbase/ndx_index.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"

namespace talven::dbase {

NdxIndex::NdxIndex(DbFileSystem& files, std::string name, std::unique_ptr<DbFile> file)
    : m_files(files), m_name(std::move(name)), m_file(std::move(file)) {}

NdxIndex::~NdxIndex() { Flush(); }

DbResult NdxIndex::Open(DbFileSystem& files, const std::string& name, std::unique_ptr<NdxIndex>* index) {
  int32_t ioError = 0;
  auto file = files.Open(name, OpenMode::ReadWrite, &ioError);
  if (!file) return DbResult::Io(name, IoStep::Reset, ioError);
  uint64_t size = 0;
  uint8_t page[kPageSize];
  if (!file->Size(&size)) return DbResult::Io(name, IoStep::Read, file->LastError());
  if (size < kPageSize) return DbResult::Index(name);
  if (!ReadExactly(*file, 0, page, kPageSize)) return DbResult::Io(name, IoStep::Read, file->LastError());
  std::unique_ptr<NdxIndex> result(new NdxIndex(files, name, std::move(file)));
  if (!ParseNdxHeader(page, size, &result->m_header)) return DbResult::Index(name);
  *index = std::move(result);
  return DbResult::Success();
}

DbResult NdxIndex::Create(DbFileSystem& files, const std::string& name, const std::string& expression,
                          uint32_t keyLength, bool numeric, std::unique_ptr<NdxIndex>* index) {
  int32_t ioError = 0;
  auto file = files.Open(name, OpenMode::Create, &ioError);
  if (!file) return DbResult::Io(name, IoStep::Rewrite, ioError);
  std::unique_ptr<NdxIndex> result(new NdxIndex(files, name, std::move(file)));
  NdxHeader& header = result->m_header;
  header.root = 1;
  header.nextFree = 2;
  header.keyLength = static_cast<uint16_t>(keyLength);
  header.keyType = numeric ? 1 : 0;
  header.entrySize = NdxEntrySize(keyLength);
  header.keysPerPage = NdxKeysPerPage(keyLength);
  header.expression = expression;
  uint8_t pages[2 * kPageSize] = {};
  BuildNdxHeader(header, pages);
  if (!result->m_file->Write(0, pages, sizeof pages)) return DbResult::Io(name, IoStep::Write, result->m_file->LastError());
  *index = std::move(result);
  return DbResult::Success();
}

DbResult NdxIndex::Damaged() const { return DbResult::Index(m_name); }

int NdxIndex::Compare(const uint8_t* entryKey, const uint8_t* key, uint32_t length) const {
  return CompareKeys(entryKey, key, Numeric() ? 8 : length, Numeric());
}

// --- pages ---------------------------------------------------------------------------

DbResult NdxIndex::Load(uint32_t number, uint8_t* bytes) {
  if (!ValidChild(number)) return Damaged();
  bool cached = false;
  DbResult result;
  CachedPage* slot = SlotFor(number, &cached, &result);
  if (!slot) return result;
  if (!cached) {
    size_t got = 0;
    if (!m_file->Read(uint64_t{number} * kPageSize, slot->bytes, kPageSize, &got)) {
      Forget(*slot);
      return {kErrDbase, m_file->LastError(), kDetailNdxGet};
    }
    // A page past the end of a clamped file reads as empty: the header said it exists.
    std::memset(slot->bytes + got, 0, kPageSize - got);
    slot->dirty = false;
  }
  slot->used = ++m_clock;
  std::memcpy(bytes, slot->bytes, kPageSize);
  std::memset(bytes + kPageSize, 0, kWorkSize - kPageSize);
  if (View(bytes).Count() > m_header.keysPerPage) return Damaged();
  return DbResult::Success();
}

NdxIndex::CachedPage* NdxIndex::SlotFor(uint32_t number, bool* cached, DbResult* result) {
  *cached = false;
  if (const auto found = m_slotOf.find(number); found != m_slotOf.end()) {
    *cached = true;
    return &m_cache[found->second];
  }
  CachedPage* slot;
  if (m_cache.size() < static_cast<size_t>(kCachedPages)) {
    slot = &m_cache.emplace_back();
  } else {
    slot = &Victim();
    if (auto written = WriteBack(*slot); !written) {
      *result = written;
      return nullptr;
    }
    Forget(*slot);
  }
  slot->number = number;
  m_slotOf[number] = static_cast<uint32_t>(slot - m_cache.data());
  return slot;
}

// Leaves are given up before branch pages, the least recently used first, among the few
// slots after the hand: the branch pages near the root serve every search, while a random
// search rarely meets the same leaf twice. Looking at a few slots, not all, keeps a miss
// cheap in a large cache.
NdxIndex::CachedPage& NdxIndex::Victim() {
  constexpr uint32_t kLooks = 8;
  const auto size = static_cast<uint32_t>(m_cache.size());
  CachedPage* best = nullptr;
  for (uint32_t i = 0; i < kLooks; ++i) {
    CachedPage& page = m_cache[(m_hand + i) % size];
    if (best == nullptr) {
      best = &page;
      continue;
    }
    const bool leaf = GetLittle32(page.bytes + 4) == 0, bestLeaf = GetLittle32(best->bytes + 4) == 0;
    if (leaf != bestLeaf ? leaf : page.used < best->used) best = &page;
  }
  m_hand = (m_hand + kLooks) % size;
  return *best;
}

void NdxIndex::Forget(CachedPage& page) {
  if (page.number != 0) m_slotOf.erase(page.number);
  page.number = 0;
  page.dirty = false;
}

void NdxIndex::ForgetAll() {
  m_cache.clear();
  m_slotOf.clear();
  m_hand = 0;
}

DbResult NdxIndex::Store(uint32_t number, const uint8_t* bytes, bool fresh) {
  bool cached = false;
  DbResult result;
  CachedPage* slot = SlotFor(number, &cached, &result);
  if (!slot) return result;
  slot->used = ++m_clock;
  slot->dirty = true;
  std::memcpy(slot->bytes, bytes, kPageSize);
  return DbResult::Success();
}

DbResult NdxIndex::WriteBack(CachedPage& page) {
  if (!page.dirty) return DbResult::Success();
  if (!m_file->Write(uint64_t{page.number} * kPageSize, page.bytes, kPageSize)) {
    return {kErrDbase, m_file->LastError() ? m_file->LastError() : kIoWriteError, kDetailNdxPut};
  }
  page.dirty = false;
  return DbResult::Success();
}

DbResult NdxIndex::Flush() {
  if (!m_file) return DbResult::Success();
  // Pages in ascending order, the header last: a reader never sees a root that is not
  // written yet.
  std::vector<CachedPage*> dirty;
  for (auto& page : m_cache) {
    if (page.dirty) dirty.push_back(&page);
  }
  std::sort(dirty.begin(), dirty.end(), [](const CachedPage* a, const CachedPage* b) { return a->number < b->number; });
  for (auto* page : dirty) {
    if (auto written = WriteBack(*page); !written) return written;
  }
  if (m_headerDirty) {
    uint8_t page[kPageSize];
    BuildNdxHeader(m_header, page);
    if (!m_file->Write(0, page, kPageSize)) return {kErrDbase, m_file->LastError(), kDetailNdxGetPut};
    m_headerDirty = false;
  }
  return DbResult::Success();
}

DbResult NdxIndex::Finish(DbResult result) {
  m_positioned = false;
  if (!result) {
    // A failed change leaves the cached pages unreliable: forget them unwritten.
    ForgetAll();
    return result;
  }
  if (m_deferred) return result;
  return Flush();
}

// --- the cursor ----------------------------------------------------------------------

DbResult NdxIndex::Descend(const uint8_t* key, uint32_t length) {
  m_path.clear();
  m_positioned = false;
  Work bytes;
  uint32_t number = m_header.root;
  for (;;) {
    if (m_path.size() >= static_cast<size_t>(kMaxTreeDepth)) return Damaged();
    if (auto loaded = Load(number, bytes); !loaded) return loaded;
    const NdxPageView page = View(bytes);
    const uint32_t count = page.Count();
    // The first entry whose key is not below the search key (binary search).
    uint32_t low = 0, high = count;
    while (low < high) {
      const uint32_t middle = (low + high) / 2;
      if (Compare(page.Key(middle), key, length) < 0) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    m_path.push_back({number, low});
    if (page.Left(0) == 0) break;
    number = page.Left(low);
  }
  m_positioned = true;
  return DbResult::Success();
}

DbResult NdxIndex::DescendEdge(uint32_t number, bool rightmost) {
  Work bytes;
  for (;;) {
    if (m_path.size() >= static_cast<size_t>(kMaxTreeDepth)) return Damaged();
    if (auto loaded = Load(number, bytes); !loaded) return loaded;
    const NdxPageView page = View(bytes);
    const uint32_t pos = rightmost ? page.Count() : 0;
    m_path.push_back({number, pos});
    if (page.Left(0) == 0) return DbResult::Success();
    number = page.Left(pos);
  }
}

DbResult NdxIndex::Normalize(bool* valid) {
  Work bytes;
  *valid = false;
  while (!m_path.empty()) {
    if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
    if (m_path.back().pos < View(bytes).Count()) {
      *valid = true;
      return DbResult::Success();
    }
    // Past this leaf: up to the first branch with a pointer further right.
    m_path.pop_back();
    for (;;) {
      if (m_path.empty()) return DbResult::Success();
      if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
      const NdxPageView page = View(bytes);
      if (m_path.back().pos < page.Count()) {
        const uint32_t child = page.Left(++m_path.back().pos);
        if (auto down = DescendEdge(child, false); !down) return down;
        break;
      }
      m_path.pop_back();
    }
  }
  return DbResult::Success();
}

DbResult NdxIndex::StepBack(bool* valid) {
  Work bytes;
  *valid = false;
  while (!m_path.empty()) {
    if (m_path.back().pos > 0) {
      --m_path.back().pos;
      *valid = true;
      return DbResult::Success();
    }
    m_path.pop_back();
    while (!m_path.empty() && m_path.back().pos == 0) m_path.pop_back();
    if (m_path.empty()) return DbResult::Success();
    if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
    const uint32_t child = View(bytes).Left(--m_path.back().pos);
    if (auto down = DescendEdge(child, true); !down) return down;
  }
  return DbResult::Success();
}

DbResult NdxIndex::Current(uint32_t* record) {
  Work bytes;
  if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
  *record = View(bytes).Record(m_path.back().pos);
  return DbResult::Success();
}

DbResult NdxIndex::First(uint32_t* record) {
  *record = 0;
  m_path.clear();
  m_positioned = false;
  if (auto down = DescendEdge(m_header.root, false); !down) return down;
  bool valid = false;
  if (auto moved = Normalize(&valid); !moved || !valid) return moved;
  m_positioned = true;
  return Current(record);
}

DbResult NdxIndex::Last(uint32_t* record) {
  *record = 0;
  m_path.clear();
  m_positioned = false;
  if (auto down = DescendEdge(m_header.root, true); !down) return down;
  bool valid = false;
  if (auto moved = StepBack(&valid); !moved || !valid) return moved;
  m_positioned = true;
  return Current(record);
}

DbResult NdxIndex::Next(uint32_t* record) {
  *record = 0;
  if (!m_positioned || m_path.empty()) return DbResult::Success();
  ++m_path.back().pos;
  bool valid = false;
  if (auto moved = Normalize(&valid); !moved || !valid) {
    m_positioned = false;
    return moved;
  }
  return Current(record);
}

DbResult NdxIndex::Prev(uint32_t* record) {
  *record = 0;
  if (!m_positioned || m_path.empty()) return DbResult::Success();
  bool valid = false;
  if (auto moved = StepBack(&valid); !moved || !valid) {
    m_positioned = false;
    return moved;
  }
  return Current(record);
}

// The entry of that key and record, or (not found) the place where it belongs.
DbResult NdxIndex::Seek(const uint8_t* key, uint32_t record, bool* found, bool* valid) {
  *found = false;
  if (auto down = Descend(key, m_header.keyLength); !down) return down;
  if (auto moved = Normalize(valid); !moved) return moved;
  Work bytes;
  // Equal keys are kept by record number, but files of other programs may order them
  // otherwise: the whole run of equal keys is searched. The walk is bounded by the entries
  // the file can hold, so that a hostile tree cannot keep it going.
  std::vector<Step> insertion;
  uint64_t budget = uint64_t{m_header.nextFree} * (m_header.keysPerPage + 1u) + 1;
  while (*valid && budget-- > 0) {
    if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
    const NdxPageView page = View(bytes);
    const uint32_t pos = m_path.back().pos;
    if (Compare(page.Key(pos), key, m_header.keyLength) != 0) break;
    if (page.Record(pos) == record) {
      *found = true;
      return DbResult::Success();
    }
    if (page.Record(pos) > record && insertion.empty()) insertion = m_path;
    ++m_path.back().pos;
    if (auto moved = Normalize(valid); !moved) return moved;
  }
  if (!insertion.empty()) {
    m_path = std::move(insertion);
    *valid = true;
  }
  return DbResult::Success();
}

DbResult NdxIndex::Locate(const uint8_t* key, uint32_t record, bool* found) {
  bool valid = false;
  if (auto sought = Seek(key, record, found, &valid); !sought) return sought;
  m_positioned = *found;
  return DbResult::Success();
}

DbResult NdxIndex::Find(const uint8_t* key, uint32_t length, uint32_t* record) {
  *record = 0;
  if (auto down = Descend(key, length); !down) return down;
  bool valid = false;
  if (auto moved = Normalize(&valid); !moved || !valid) {
    m_positioned = false;
    return moved;
  }
  Work bytes;
  if (auto loaded = Load(m_path.back().page, bytes); !loaded) return loaded;
  const NdxPageView page = View(bytes);
  if (Compare(page.Key(m_path.back().pos), key, length) != 0) {
    m_positioned = false;
    return DbResult::Success();
  }
  m_positioned = true;
  *record = page.Record(m_path.back().pos);
  return DbResult::Success();
}

// --- changes ---------------------------------------------------------------------------

DbResult NdxIndex::BulkLoad(const std::vector<uint8_t>& keys, const std::vector<uint32_t>& records) {
  const uint32_t length = m_header.keyLength, perPage = m_header.keysPerPage;
  const size_t count = records.size();
  if (count == 0) return DbResult::Success();
  std::vector<uint32_t> order(count);
  for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const int compared = CompareKeys(&keys[size_t{a} * length], &keys[size_t{b} * length], length, Numeric());
    return compared != 0 ? compared < 0 : records[a] < records[b];
  });
  // One level at a time: items are (page or record, highest key); pages are spread evenly
  // so that no page is left nearly empty.
  struct Item {
    uint32_t pointer;
    const uint8_t* key;
  };
  std::vector<Item> items(count);
  for (size_t i = 0; i < count; ++i) items[i] = {records[order[i]], &keys[size_t{order[i]} * length]};
  std::vector<uint8_t> pages;
  uint32_t next = 1;
  bool leaves = true;
  while (leaves || items.size() > 1) {
    const size_t capacity = leaves ? perPage : perPage + 1;
    const size_t pageCount = (items.size() + capacity - 1) / capacity;
    std::vector<Item> upper;
    size_t at = 0;
    for (size_t p = 0; p < pageCount; ++p) {
      const size_t take = items.size() / pageCount + (p < items.size() % pageCount ? 1 : 0);
      Work bytes = {};
      NdxPageView page = View(bytes);
      for (size_t i = 0; i < take; ++i) {
        const Item& item = items[at + i];
        if (leaves) {
          page.SetRecord(static_cast<uint32_t>(i), item.pointer);
        } else {
          page.SetLeft(static_cast<uint32_t>(i), item.pointer);
        }
        // A branch page's last child carries no key.
        if (leaves || i + 1 < take) std::memcpy(page.Key(static_cast<uint32_t>(i)), item.key, length);
      }
      page.SetCount(static_cast<uint32_t>(leaves ? take : take - 1));
      pages.insert(pages.end(), bytes, bytes + kPageSize);
      upper.push_back({next++, items[at + take - 1].key});
      at += take;
    }
    items = std::move(upper);
    leaves = false;
  }
  if (!m_file->Write(kPageSize, pages.data(), pages.size())) {
    return {kErrDbase, m_file->LastError() ? m_file->LastError() : kIoWriteError, kDetailNdxPutNew};
  }
  m_header.root = items.front().pointer;
  m_header.nextFree = next;
  m_headerDirty = true;
  ForgetAll();
  m_positioned = false;
  return Flush();
}

DbResult NdxIndex::Insert(const uint8_t* key, uint32_t record) {
  bool found = false, valid = false;
  if (auto sought = Seek(key, record, &found, &valid); !sought) return Finish(sought);
  if (!valid) {
    // After every entry: the end of the rightmost leaf, reached through last pointers only,
    // so no branch key changes.
    m_path.clear();
    if (auto down = DescendEdge(m_header.root, true); !down) return Finish(down);
  }
  return Finish(InsertAt(m_path.size() - 1, key, 0, record));
}

// Inserts an entry before position path[level].pos of that page; splits the page when it
// overflows: the lower half moves to a new page, the upper half stays, and the highest key
// of the lower half goes up into the parent (or a new root).
DbResult NdxIndex::InsertAt(size_t level, const uint8_t* key, uint32_t left, uint32_t record) {
  const uint32_t number = m_path[level].pos, pageNumber = m_path[level].page;
  Work bytes;
  if (auto loaded = Load(pageNumber, bytes); !loaded) return loaded;
  NdxPageView page = View(bytes);
  const uint32_t count = page.Count(), size = m_header.entrySize;
  const uint32_t pos = std::min(number, count);
  std::memmove(page.Entry(pos + 1), page.Entry(pos), (count - pos) * size + 4);
  std::memset(page.Entry(pos), 0, size);
  page.SetLeft(pos, left);
  page.SetRecord(pos, record);
  std::memcpy(page.Key(pos), key, m_header.keyLength);
  page.SetCount(count + 1);
  if (count + 1 <= m_header.keysPerPage) return Store(pageNumber, bytes, false);

  const bool leaf = left == 0;
  const uint32_t total = count + 1;
  const uint32_t lowerCount = total / 2;
  Work lower = {}, upper = {};
  NdxPageView lowerPage = View(lower), upperPage = View(upper);
  uint8_t promoted[kMaxKeyLength + 8];
  if (leaf) {
    std::memcpy(lowerPage.Entry(0), page.Entry(0), lowerCount * size);
    lowerPage.SetCount(lowerCount);
    std::memcpy(promoted, page.Key(lowerCount - 1), m_header.keyLength);
    std::memcpy(upperPage.Entry(0), page.Entry(lowerCount), (total - lowerCount) * size);
    upperPage.SetCount(total - lowerCount);
  } else {
    // Branch: the pointer of the middle entry becomes the lower page's last pointer, its
    // key goes up.
    std::memcpy(lowerPage.Entry(0), page.Entry(0), lowerCount * size);
    lowerPage.SetCount(lowerCount);
    lowerPage.SetLeft(lowerCount, page.Left(lowerCount));
    std::memcpy(promoted, page.Key(lowerCount), m_header.keyLength);
    std::memcpy(upperPage.Entry(0), page.Entry(lowerCount + 1), (total - lowerCount - 1) * size + 4);
    upperPage.SetCount(total - lowerCount - 1);
  }
  const uint32_t newPage = m_header.nextFree;
  if (newPage == 0xFFFFFFFFu) return {kErrDbase, kIoWriteError, kDetailNdxPutNew};
  m_header.nextFree = newPage + 1;
  m_headerDirty = true;
  if (auto stored = Store(newPage, lower, true); !stored) return stored;
  if (auto stored = Store(pageNumber, upper, false); !stored) return stored;
  if (level > 0) return InsertAt(level - 1, promoted, newPage, 0);
  // The root split: a new root with the lower page's entry and the old root as last pointer.
  const uint32_t rootPage = m_header.nextFree;
  m_header.nextFree = rootPage + 1;
  Work root = {};
  NdxPageView rootView = View(root);
  rootView.SetCount(1);
  rootView.SetLeft(0, newPage);
  std::memcpy(rootView.Key(0), promoted, m_header.keyLength);
  rootView.SetLeft(1, pageNumber);
  if (auto stored = Store(rootPage, root, true); !stored) return stored;
  m_header.root = rootPage;
  return DbResult::Success();
}

DbResult NdxIndex::Remove(const uint8_t* key, uint32_t record, bool* found) {
  bool valid = false;
  if (auto sought = Seek(key, record, found, &valid); !sought) return Finish(sought);
  if (!*found) return Finish(DbResult::Success());
  return Finish(RemoveAt(m_path.size() - 1));
}

DbResult NdxIndex::RemoveAt(size_t level) {
  Work bytes;
  const uint32_t pageNumber = m_path[level].page, pos = m_path[level].pos;
  if (auto loaded = Load(pageNumber, bytes); !loaded) return loaded;
  NdxPageView page = View(bytes);
  const uint32_t count = page.Count(), size = m_header.entrySize;
  std::memmove(page.Entry(pos), page.Entry(pos + 1), (count - pos - 1) * size);
  std::memset(page.Entry(count - 1), 0, size);
  page.SetCount(count - 1);
  if (count - 1 == 0 && level > 0) return RemoveChild(level - 1);
  if (auto stored = Store(pageNumber, bytes, false); !stored) return stored;
  // The highest key left the page: the key above it follows.
  if (pos == count - 1 && count - 1 > 0) return UpdateMax(level, page.Key(count - 2));
  return DbResult::Success();
}

// Drops the pointer at path[level].pos (its page became empty).
DbResult NdxIndex::RemoveChild(size_t level) {
  Work bytes;
  const uint32_t pageNumber = m_path[level].page, pos = m_path[level].pos;
  if (auto loaded = Load(pageNumber, bytes); !loaded) return loaded;
  NdxPageView page = View(bytes);
  const uint32_t count = page.Count(), size = m_header.entrySize;
  uint8_t newMax[kMaxKeyLength + 8];
  bool maxChanged = false;
  if (pos < count) {
    std::memmove(page.Entry(pos), page.Entry(pos + 1), (count - pos - 1) * size + 4);
    std::memset(page.Entry(count - 1) + 4, 0, size - 4);
    page.SetCount(count - 1);
  } else if (count > 0) {
    // The last pointer went: the last entry's pointer takes its place, its key leaves.
    std::memcpy(newMax, page.Key(count - 1), m_header.keyLength);
    maxChanged = true;
    std::memset(page.Entry(count - 1) + 4, 0, size - 4);
    std::memset(page.Entry(count), 0, 4);
    page.SetCount(count - 1);
  } else {
    // The page lost its only pointer.
    if (level > 0) return RemoveChild(level - 1);
    std::memset(bytes, 0, kPageSize);  // an empty root leaf
    return Store(pageNumber, bytes, false);
  }
  if (level == 0 && page.Count() == 0) {
    // A root with only its last pointer: that page becomes the root.
    m_header.root = page.Left(0);
    m_headerDirty = true;
    return DbResult::Success();
  }
  if (auto stored = Store(pageNumber, bytes, false); !stored) return stored;
  if (maxChanged) return UpdateMax(level, newMax);
  return DbResult::Success();
}

// The subtree under path[level] has a new highest key: the nearest ancestor entry that
// points to it (not by its last pointer) takes it.
DbResult NdxIndex::UpdateMax(size_t level, const uint8_t* key) {
  Work bytes;
  for (size_t up = level; up-- > 0;) {
    if (auto loaded = Load(m_path[up].page, bytes); !loaded) return loaded;
    NdxPageView page = View(bytes);
    if (m_path[up].pos < page.Count()) {
      std::memcpy(page.Key(m_path[up].pos), key, m_header.keyLength);
      return Store(m_path[up].page, bytes, false);
    }
  }
  return DbResult::Success();
}

// --- the check -------------------------------------------------------------------------

NdxCheck NdxIndex::Check() {
  NdxCheck check;
  std::vector<bool> seen(m_header.nextFree + 1, false);
  std::vector<uint32_t> depths;
  CheckPage(m_header.root, 1, seen, check, depths);
  for (uint32_t depth : depths) {
    if (depth != depths.front()) {
      check.problems.push_back("leaves at different depths");
      break;
    }
    check.depth = depth;
  }
  for (size_t i = 1; i < check.entries.size(); ++i) {
    const auto& a = check.entries[i - 1];
    const auto& b = check.entries[i];
    const int order = CompareKeys(reinterpret_cast<const uint8_t*>(a.key.data()),
                                  reinterpret_cast<const uint8_t*>(b.key.data()), m_header.keyLength, Numeric());
    if (order > 0) {
      check.problems.push_back("keys out of order at entry " + std::to_string(i + 1));
      break;
    }
  }
  return check;
}

void NdxIndex::CheckPage(uint32_t number, uint32_t depth, std::vector<bool>& seen, NdxCheck& check,
                         std::vector<uint32_t>& leafDepths) {
  const std::string where = "page " + std::to_string(number);
  if (depth > static_cast<uint32_t>(kMaxTreeDepth)) {
    check.problems.push_back(where + ": deeper than " + std::to_string(kMaxTreeDepth));
    return;
  }
  if (!ValidChild(number)) {
    check.problems.push_back(where + ": not below the next free page " + std::to_string(m_header.nextFree));
    return;
  }
  if (seen[number]) {
    check.problems.push_back(where + ": reached twice");
    return;
  }
  seen[number] = true;
  ++check.pages;
  Work bytes;
  if (!Load(number, bytes)) {
    check.problems.push_back(where + ": unreadable or more entries than keys per page");
    return;
  }
  const NdxPageView page = View(bytes);
  const uint32_t count = page.Count();
  const bool leaf = page.Left(0) == 0;
  if (leaf) {
    leafDepths.push_back(depth);
    for (uint32_t i = 0; i < count; ++i) {
      if (page.Left(i) != 0) check.problems.push_back(where + ": leaf entry with a page pointer");
      check.entries.push_back({std::string(reinterpret_cast<const char*>(page.Key(i)), m_header.keyLength), page.Record(i)});
    }
    if (number != m_header.root && count == 0) check.problems.push_back(where + ": empty leaf");
    return;
  }
  for (uint32_t i = 0; i <= count; ++i) {
    if (i < count && page.Record(i) != 0) check.problems.push_back(where + ": branch entry with a record number");
    const size_t before = check.entries.size();
    CheckPage(page.Left(i), depth + 1, seen, check, leafDepths);
    if (i < count) {
      // Every key below the entry is at most its key; the keys after it are at least it.
      const std::string key(reinterpret_cast<const char*>(page.Key(i)), m_header.keyLength);
      const auto* k = reinterpret_cast<const uint8_t*>(key.data());
      // The entry's key is the highest key of its subtree, so that a plain descent finds
      // the first of equal keys.
      if (check.entries.size() == before) {
        check.problems.push_back(where + ": entry " + std::to_string(i + 1) + " over an empty subtree");
      } else if (CompareKeys(reinterpret_cast<const uint8_t*>(check.entries.back().key.data()), k,
                             m_header.keyLength, Numeric()) != 0) {
        check.problems.push_back(where + ": entry " + std::to_string(i + 1) + " is not the highest key below it");
      }
    }
  }
}

}  // namespace talven::dbase
