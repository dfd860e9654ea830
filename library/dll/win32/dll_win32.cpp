// The Win32 side of the family "dll": LoadLibrary/GetProcAddress and the call itself.
//
// The call goes through a small hand-written thunk: it keeps ESP (and the FPU control
// word and MXCSR) before pushing the arguments right to left, calls, and puts them all
// back afterwards, so that a stdcall function, a cdecl one, or one declared with the
// wrong count of arguments leaves the stack and the floating-point state as they were.
// The x87 stack is emptied, since a function returning a double leaves it in st(0).
//
// A fault inside the called function (an access violation and the like) is caught by a
// top-level exception filter installed for the time of the call: it resumes at the
// thunk's recovery point with ESP and EBP as the thunk kept them, and the call reports
// the fault instead of the system's crash dialog.
//
// For the calls through the 16-bit helper: the temporary file's paths and bytes, and the
// helper started with CreateProcess (searched as the system searches a command, shown
// normally) and waited for with the message queue awake.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/dll/dll_platform.h"
#include "library/families.h"
#include "library/win32/win32_host.h"
#include "library/dll/win32/win32_dll.h"

namespace {

struct CallGuard {
  uint32_t esp = 0;      // offset 0: ESP after the thunk's own saves
  uint32_t ebp = 0;      // offset 4
  uint32_t faulted = 0;  // offset 8
};

}  // namespace

extern "C" uint32_t TalvenCallThunk(const void* function, const uint32_t* arguments,
                                    uint32_t count, CallGuard* guard);
extern "C" void TalvenCallRecover();

// uint32_t TalvenCallThunk(function, arguments, count, guard), cdecl.
asm(R"(
    .text
    .globl _TalvenCallThunk
    .globl _TalvenCallRecover
_TalvenCallThunk:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $8, %esp
    fnstcw (%esp)
    stmxcsr 4(%esp)
    movl 20(%ebp), %eax
    movl %esp, (%eax)
    movl %ebp, 4(%eax)
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
1:
    testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:
    call *8(%ebp)
    jmp 3f
_TalvenCallRecover:
    movl 20(%ebp), %ecx
    movl $1, 8(%ecx)
    xorl %eax, %eax
3:
    cld
    movl 20(%ebp), %ecx
    movl (%ecx), %esp
    fninit
    fldcw (%esp)
    ldmxcsr 4(%esp)
    addl $8, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace talven {

namespace {

// The call in progress (the programs are single-threaded).
CallGuard* g_activeGuard = nullptr;

LONG WINAPI RecoverFromFault(EXCEPTION_POINTERS* info) {
  CallGuard* guard = g_activeGuard;
  if (guard == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  g_activeGuard = nullptr;
  CONTEXT* context = info->ContextRecord;
  context->Esp = guard->esp;
  context->Ebp = guard->ebp;
  context->Eip = static_cast<DWORD>(reinterpret_cast<uintptr_t>(&TalvenCallRecover));
  return EXCEPTION_CONTINUE_EXECUTION;
}

class Win32Dll : public DllPlatform {
 public:
  intptr_t Load(const std::string& name) override {
    // No "cannot find" or "bad image" box of the system: the program reports 247 itself.
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name.c_str());
    SetErrorMode(mode);
    return reinterpret_cast<intptr_t>(module);
  }
  void Free(intptr_t library) override { FreeLibrary(reinterpret_cast<HMODULE>(library)); }
  intptr_t Find(intptr_t library, const std::string& name) override {
    return reinterpret_cast<intptr_t>(GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str()));
  }
  LibraryCallResult Call(intptr_t function, std::span<const uint32_t> arguments) override {
    CallGuard guard;
    g_activeGuard = &guard;
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(RecoverFromFault);
    const uint32_t value = TalvenCallThunk(reinterpret_cast<const void*>(function), arguments.data(),
                                           static_cast<uint32_t>(arguments.size()), &guard);
    SetUnhandledExceptionFilter(previous);
    g_activeGuard = nullptr;
    return LibraryCallResult{value, guard.faulted != 0};
  }

  uint32_t Ticks() override { return GetTickCount(); }
  std::string FullPath(const std::string& name) override {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? name : std::string(full, length);
  }
  std::string ShortPath(const std::string& path) override {
    char shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortName, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path : std::string(shortName, length);
  }
  bool WriteFile(const std::string& path, std::span<const uint8_t> bytes) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (ok && written == bytes.size()) return true;
    DeleteFileA(path.c_str());
    return false;
  }
  std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    // What a helper may hand back: never more than the areas could ever hold.
    constexpr DWORD kMost = DWORD{1} << 29;
    const DWORD size = GetFileSize(file, nullptr);
    std::optional<std::vector<uint8_t>> bytes;
    if (size != INVALID_FILE_SIZE && size <= kMost) {
      bytes.emplace(size);
      DWORD read = 0;
      if (!::ReadFile(file, bytes->data(), size, &read, nullptr) || read != size) bytes.reset();
    }
    CloseHandle(file);
    return bytes;
  }
  bool FileExists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool RemoveFile(const std::string& path) override {
    DeleteFileA(path.c_str());
    return !FileExists(path);
  }
  intptr_t StartHelper(const std::string& commandLine) override {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetErrorMode(mode);
    if (!started) return 0;
    CloseHandle(process.hThread);
    return reinterpret_cast<intptr_t>(process.hProcess);
  }
  bool HelperRunning(intptr_t helper, uint32_t milliseconds) override {
    HANDLE process = reinterpret_cast<HANDLE>(helper);
    MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds, QS_ALLINPUT);
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  }
  void ReleaseHelper(intptr_t helper) override { CloseHandle(reinterpret_cast<HANDLE>(helper)); }
};

}  // namespace

std::unique_ptr<DllPlatform> MakeWin32Dll() { return std::make_unique<Win32Dll>(); }

void InstallDllWin32(Win32Host& host) {
  host.InstallPlatform(FamilyIndex(FamilyId::Dll), MakeWin32Dll());
}

}  // namespace talven
