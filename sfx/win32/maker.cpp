#include "sfx/win32/maker.h"

#include <commdlg.h>

#include <cstring>

#include "sfx/maker_names.h"
#include "sfx/maker_texts.h"

namespace talven::sfx {
namespace {

constexpr int kFailed = 2;
constexpr DWORD kCopyBlock = 4096;

int Fail(const char* text) {
  MessageBoxA(nullptr, text, texts::kMakerTitle, MB_OK | MB_ICONERROR);
  return kFailed;
}

bool AskForArchive(char* name) {
  char chosen[kMaxMakerPath] = {};
  std::strcpy(chosen, texts::kOpenPattern);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.lpstrFilter = "ZIP-Archive (*.ZIP)\0*.ZIP\0Alle Dateien (*.*)\0*.*\0";
  dialog.lpstrFile = chosen;
  dialog.nMaxFile = sizeof(chosen);
  dialog.lpstrTitle = texts::kOpenTitle;
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetOpenFileNameA(&dialog)) return false;
  TrimName(chosen, name);
  return name[0] != '\0';
}

enum class CopyEnd { Done, ReadFailed, WriteFailed };

// Copies in blocks until a read gives nothing; a short write ends the copy as a failure.
CopyEnd Copy(HANDLE from, HANDLE to) {
  char block[kCopyBlock];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(from, block, kCopyBlock, &read, nullptr)) return CopyEnd::ReadFailed;
    if (read == 0) return CopyEnd::Done;
    DWORD written = 0;
    if (!WriteFile(to, block, read, &written, nullptr) || written < read) return CopyEnd::WriteFailed;
  }
}

HANDLE OpenForReading(const char* name) {
  return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunMaker(const char* parameter) {
  char program[kMaxMakerPath] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  char stubName[kMaxMakerPath];
  StubNameFor(program, stubName);

  char archiveName[kMaxMakerPath];
  if (parameter != nullptr && parameter[0] != '\0') {
    ArchiveNameFor(parameter, archiveName);
  } else {
    char chosen[kMaxMakerPath];
    if (!AskForArchive(chosen)) return Fail(texts::kUsage);
    ArchiveNameFor(chosen, archiveName);
  }

  HANDLE test = OpenForReading(archiveName);
  if (test == INVALID_HANDLE_VALUE) return Fail(texts::kArchiveUnreadable);
  CloseHandle(test);

  HANDLE stub = OpenForReading(stubName);
  if (stub == INVALID_HANDLE_VALUE) return Fail(texts::kStubMissing);

  char outputName[kMaxMakerPath];
  OutputNameFor(archiveName, outputName);
  HANDLE output = CreateFileA(outputName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) {
    CloseHandle(stub);
    return Fail(texts::kOutputNotCreated);
  }
  // Deliberate: every failure ends at once; what was written so far stays.
  CopyEnd end = Copy(stub, output);
  CloseHandle(stub);
  if (end == CopyEnd::ReadFailed) return Fail(texts::kStubReadFailed);
  if (end == CopyEnd::WriteFailed) return Fail(texts::kOutputWriteFailed);

  HANDLE archive = OpenForReading(archiveName);
  if (archive == INVALID_HANDLE_VALUE) return Fail(texts::kZipUnreadable);
  if (SetFilePointer(output, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    return Fail(texts::kOutputNotFinished);
  }
  end = Copy(archive, output);
  CloseHandle(archive);
  const bool closed = CloseHandle(output) != 0;
  if (end == CopyEnd::ReadFailed) return Fail(texts::kZipReadFailed);
  if (end == CopyEnd::WriteFailed || !closed) return Fail(texts::kOutputWriteFailed);

  char report[3 * kMaxMakerPath + 64];
  std::strcpy(report, "ZIP-Datei: ");
  std::strcat(report, archiveName);
  std::strcat(report, "\r\nProgramm: ");
  std::strcat(report, outputName);
  std::strcat(report, "\r\n\r\n");
  std::strcat(report, texts::kMakerSuccess);
  MessageBoxA(nullptr, report, texts::kMakerSuccessTitle, MB_OK | MB_ICONEXCLAMATION);
  return 0;
}

}  // namespace talven::sfx
