#include "sfx/extractor.h"

#include <cstring>

#include "sfx/sfx_texts.h"

namespace talven::sfx {
namespace {

// An entry's data as the inflater reads it: never more than the entry holds, decrypted on
// the way in.
class EntryInput final : public InflateInput {
 public:
  EntryInput(SfxHost& host, ZipDecryptor* decryptor, uint32_t size)
      : m_host(host), m_decryptor(decryptor), m_remaining(size) {}
  int32_t Fill(uint8_t* buffer, int32_t capacity) override {
    if (m_remaining == 0) return 0;
    const int32_t wanted =
        m_remaining < static_cast<uint32_t>(capacity) ? static_cast<int32_t>(m_remaining) : capacity;
    const int32_t got = m_host.ReadArchive(buffer, wanted);
    if (got <= 0) return got;
    m_remaining -= static_cast<uint32_t>(got);
    if (m_decryptor != nullptr) m_decryptor->Decrypt(buffer, got);
    return got;
  }

 private:
  SfxHost& m_host;
  ZipDecryptor* m_decryptor;
  uint32_t m_remaining;
};

// The inflater's output: summed into the running CRC and written to the temporary file.
class EntryOutput final : public InflateOutput {
 public:
  EntryOutput(SfxHost& host, const Crc32& crc, uint32_t& running)
      : m_host(host), m_crc(crc), m_running(running) {}
  bool Write(const uint8_t* data, int32_t size) override {
    m_running = m_crc.Update(m_running, data, size);
    return m_host.WriteOutput(data, size);
  }

 private:
  SfxHost& m_host;
  const Crc32& m_crc;
  uint32_t& m_running;
};

bool ReadExact(SfxHost& host, uint8_t* buffer, int32_t size) {
  int32_t done = 0;
  while (done < size) {
    const int32_t got = host.ReadArchive(buffer + done, size - done);
    if (got <= 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

Extractor::Extractor(SfxHost& host, uint64_t archiveStart)
    : m_host(host), m_archiveStart(archiveStart), m_next(archiveStart) {}

// Reads the header at m_next and the entry's name; End when no further header is there.
Extractor::Step Extractor::ReadEntry(Entry& entry) {
  uint8_t bytes[kLocalHeaderSize];
  if (!m_host.SeekArchive(m_next) || !ReadExact(m_host, bytes, kLocalHeaderSize) ||
      !ParseLocalHeader(bytes, entry.header)) {
    return Step::End;
  }
  entry.start = m_next;
  const int32_t kept =
      entry.header.nameLength < kMaxEntryName ? entry.header.nameLength : kMaxEntryName;
  if (!ReadExact(m_host, reinterpret_cast<uint8_t*>(entry.name), kept)) return Step::End;
  entry.name[kept] = '\0';
  // A name cut at 255 characters or at a zero byte would name another file: such an entry is
  // listed as read but refused when it is to be written.
  entry.nameWhole = entry.header.nameLength <= kMaxEntryName &&
                    std::strlen(entry.name) == static_cast<size_t>(kept);
  NameToAnsi(entry.name, (entry.header.flags & kFlagUtf8Name) != 0);
  return entry.name[0] == '\0' ? Step::EmptyName : Step::Entry;
}

// Moves m_next behind the entry: past the extra field, which current zippers fill, the data,
// and a data descriptor when one follows.
bool Extractor::Advance(const Entry& entry) {
  if (LacksSizes(entry.header)) return false;
  const uint64_t dataEnd = entry.start + kLocalHeaderSize + entry.header.nameLength +
                           entry.header.extraLength + entry.header.compressedSize;
  m_next = dataEnd;
  if ((entry.header.flags & kFlagDataDescriptor) != 0 && m_host.SeekArchive(dataEnd)) {
    uint8_t descriptor[16];
    int32_t available = 0;
    while (available < 16) {
      const int32_t got = m_host.ReadArchive(descriptor + available, 16 - available);
      if (got <= 0) break;
      available += got;
    }
    m_next += static_cast<uint64_t>(DataDescriptorLength(entry.header, descriptor, available));
  }
  return true;
}

void Extractor::FinishPaths() {
  if (!m_pathsSeen) m_host.DisablePaths();
}

// Both passes walk the archive from its first entry.
bool Extractor::BeginPass() {
  if (!m_host.SeekArchive(m_archiveStart)) {
    m_host.ShowMessage(texts::kArchiveNotFound, texts::kArchiveErrorTitle);
    return false;
  }
  m_next = m_archiveStart;
  return true;
}

PassEnd Extractor::ListPass() {
  if (!BeginPass()) return PassEnd::Continue;
  m_host.ClearList();
  m_pathsSeen = false;
  const PathMode mode = m_host.PathsChecked() ? PathMode::WithPaths : PathMode::Flat;
  for (;;) {
    Entry entry;
    const Step step = ReadEntry(entry);
    if (step == Step::End) break;
    if (step == Step::EmptyName) {
      m_host.ShowMessage(texts::kNameNotFound, texts::kArchiveErrorTitle);
      return PassEnd::EndProgram;
    }
    char listName[kMaxEntryName + 1];
    if (ListName(entry.name, mode, listName)) m_pathsSeen = true;
    m_host.AddToList(listName);
    if (LacksSizes(entry.header)) {
      m_host.ShowMessage(entry.name, texts::kSizesMissingTitle);
      break;
    }
    if (!Advance(entry)) break;
  }
  if (m_host.ListCount() == 0) m_host.ShowMessage(texts::kHeaderUnreadable, texts::kErrorTitle);
  FinishPaths();
  return PassEnd::Continue;
}

PassEnd Extractor::ExtractPass(const char* targetDirectory) {
  if (!BeginPass()) return PassEnd::Continue;
  const PathMode mode = m_host.PathsChecked() ? PathMode::WithPaths : PathMode::Flat;
  for (;;) {
    Entry entry;
    const Step step = ReadEntry(entry);
    if (step == Step::End) break;
    if (step == Step::EmptyName) {
      m_host.ShowMessage(texts::kNameNotFound, texts::kArchiveErrorTitle);
      return PassEnd::EndProgram;
    }
    char listName[kMaxEntryName + 1];
    ListName(entry.name, mode, listName);
    const int32_t index = m_host.FindInList(listName);
    if (index >= 0 && m_host.IsSelected(index)) {
      switch (ExtractEntry(entry, listName, targetDirectory, mode)) {
        case Outcome::Settled:
          m_host.SetSelected(index, false);
          break;
        case Outcome::Failed:
          break;
        case Outcome::EndPass:
          return PassEnd::Continue;
        case Outcome::EndProgram:
          return PassEnd::EndProgram;
      }
    }
    if (!Advance(entry)) break;
  }
  m_host.ShowStatus(m_host.SelectedCount() == 0 ? texts::kAllOk : texts::kSomeFailed);
  FinishPaths();
  return PassEnd::Continue;
}

// The current password is tried first, so that entries sharing one ask only once; then up to
// three prompts.
bool Extractor::UnlockEntry(const Entry& entry, ZipDecryptor& decryptor) {
  uint8_t header[kEncryptionHeaderSize];
  if (!ReadExact(m_host, header, kEncryptionHeaderSize)) return false;
  const uint8_t check = CheckByte(entry.header);
  if (decryptor.Start(m_password, header, check)) return true;
  for (int32_t prompt = 0; prompt < kPasswordPrompts; ++prompt) {
    std::memset(m_password, 0, sizeof(m_password));
    m_host.AskPassword(m_password);
    m_password[kMaxPassword] = '\0';
    if (decryptor.Start(m_password, header, check)) return true;
  }
  return false;
}

bool Extractor::CopyData(const Entry& entry, ZipDecryptor* decryptor, uint32_t dataSize,
                         uint32_t& crc) {
  uint32_t remaining = dataSize;
  while (remaining > 0) {
    const int32_t wanted = remaining < kCopyPiece ? static_cast<int32_t>(remaining) : kCopyPiece;
    const int32_t got = m_host.ReadArchive(m_piece, wanted);
    if (got <= 0) return false;  // the archive ends inside the entry
    if (decryptor != nullptr) decryptor->Decrypt(m_piece, got);
    crc = m_crc.Update(crc, m_piece, got);
    if (!m_host.WriteOutput(m_piece, got)) return false;
    remaining -= static_cast<uint32_t>(got);
  }
  return true;
}

void Extractor::CreateDirectories(const char* directory) {
  char prefix[kMaxPath];
  const size_t length = std::strlen(directory);
  for (size_t i = 1; i <= length; ++i) {
    if (directory[i] != '\\' && directory[i] != '\0') continue;
    if (i == 2 && directory[1] == ':') continue;  // the drive itself
    std::memcpy(prefix, directory, i);
    prefix[i] = '\0';
    if (!m_host.DirectoryExists(prefix)) m_host.MakeDirectory(prefix);
  }
}

Extractor::Outcome Extractor::ExtractEntry(const Entry& entry, const char* listName,
                                           const char* directory, PathMode mode) {
  const LocalHeader& header = entry.header;
  if (!entry.nameWhole || !IsSafeEntryName(entry.name, mode)) {
    m_host.ShowMessage(entry.name, texts::kUnsafeNameTitle);
    return Outcome::Failed;
  }
  if (LacksSizes(header)) {
    m_host.ShowMessage(entry.name, texts::kSizesMissingTitle);
    return Outcome::Failed;
  }
  if (!m_host.SeekArchive(entry.start + kLocalHeaderSize + header.nameLength + header.extraLength)) {
    return Outcome::Failed;
  }
  uint32_t dataSize = header.compressedSize;
  ZipDecryptor decryptor(m_crc);
  const bool encrypted = (header.flags & kFlagEncrypted) != 0;
  if (encrypted) {
    if (dataSize < static_cast<uint32_t>(kEncryptionHeaderSize)) return Outcome::Failed;
    dataSize -= kEncryptionHeaderSize;
    if (!UnlockEntry(entry, decryptor)) return Outcome::EndPass;
  }

  char target[kMaxPath];
  if (!TargetName(directory, listName, mode, target)) {
    m_host.ShowMessage(entry.name, texts::kCannotOpenTitle);
    return Outcome::Failed;
  }
  const size_t targetLength = std::strlen(target);
  const bool isDirectory = target[targetLength - 1] == '\\';
  if (!isDirectory && m_host.FileExists(target)) {
    if (m_mode == OverwriteMode::Never) return Outcome::Settled;
    if (m_mode == OverwriteMode::Ask) {
      bool dontAskAgain = false;
      const Answer answer = m_host.AskOverwrite(LastComponent(target), dontAskAgain);
      if (dontAskAgain) {
        m_mode = answer == Answer::Yes ? OverwriteMode::Always : OverwriteMode::Never;
        m_host.ShowMode(m_mode);
      }
      // Deliberate: a file kept on purpose leaves the list like an extracted one.
      if (answer == Answer::No) return Outcome::Settled;
    }
  } else {
    char parent[kMaxPath];
    DirectoryOf(target, parent);
    if (parent[0] != '\0') {
      CreateDirectories(parent);
      if (!m_host.DirectoryExists(parent)) {
        m_host.ShowMessage(parent, texts::kDirectoryErrorTitle);
        return Outcome::EndPass;
      }
    }
  }
  // A directory entry writes no data; its (empty) checksum still has to agree.
  if (isDirectory) return header.crc == 0 ? Outcome::Settled : Outcome::Failed;

  if (!m_host.OpenOutput(target)) {
    m_host.ShowMessage(target, texts::kCannotOpenTitle);
    return Outcome::Failed;
  }
  char status[sizeof(texts::kExtracting) + kMaxPath];
  std::strcpy(status, texts::kExtracting);
  std::strcat(status, target);
  m_host.ShowStatus(status);
  m_host.PumpOneMessage();

  uint32_t crc = kCrc32Start;
  bool complete = false;
  if (header.method == kMethodStored) {
    complete = CopyData(entry, encrypted ? &decryptor : nullptr, dataSize, crc);
  } else if (header.method == kMethodDeflated) {
    EntryInput input(m_host, encrypted ? &decryptor : nullptr, dataSize);
    EntryOutput output(m_host, m_crc, crc);
    complete = m_inflater.Run(input, output, header.uncompressedSize) == InflateResult::Ok;
  } else {
    m_host.DiscardOutput();
    m_host.ShowMessage(texts::kUnknownMethod, texts::kMethodErrorTitle);
    return Outcome::EndProgram;
  }
  if (complete && ~crc == header.crc) {
    if (m_host.CommitOutput()) return Outcome::Settled;
    m_host.ShowMessage(target, texts::kCannotOpenTitle);
    return Outcome::Failed;
  }
  // Damaged, cut or wrongly decrypted data: the existing file stays as it was.
  m_host.DiscardOutput();
  return Outcome::Failed;
}

}  // namespace talven::sfx
