#include "toolchain/linker.h"

#include <fstream>

#include "common/bytes.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/startup.h"
#include "engine/text.h"
#include "toolchain/file_bytes.h"
#include "toolchain/file_output.h"

namespace talven {

namespace {

constexpr std::string_view kCaption = "TALVEN²-LINKER";
constexpr std::string_view kBanner = "ZUL-TALVEN² KOMBI-LINKER 6.5-32";
constexpr size_t kBlockSize = 32768;
constexpr std::streamoff kCodeOffsetPosition = 128;

[[noreturn]] void Fail(Host& host, std::string_view text) {
  StopWithBox(host, std::string(kCaption), "FEHLER: \r\n" + std::string(text), 2);
}

// Copies `in` to `out` in blocks until a read returns nothing; false on a write that
// takes fewer bytes than were read. A read error sets `readFailed`.
bool CopyBlocks(std::ifstream& in, std::ostream& out, bool& readFailed) {
  std::string block(kBlockSize, '\0');
  for (;;) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::streamsize got = in.gcount();
    if (in.bad()) {
      readFailed = true;
      return true;
    }
    if (got == 0) return true;
    out.write(block.data(), got);
    if (!out) return false;
  }
}

uint64_t SizeOf(std::ifstream& file) {
  file.seekg(0, std::ios::end);
  const auto size = static_cast<uint64_t>(file.tellg());
  file.seekg(0);
  return size;
}

void Link(Host& host, const std::vector<std::string>& params, ProgressWindow& progress) {
  // The code file (parameter 1 or the dialog) and whether a screen saver is wanted (/S).
  std::string code;
  if (!params.empty()) {
    code = ProgramFileName(params.front(), ".TVC");
  } else {
    const std::optional<std::string> chosen = host.OpenFileDialog(
        "TALVEN²-Programm laden:", "Talven-Code (*.tvc)|*.TVC|All (*.*)|*.*", "TVC");
    if (!chosen) {
      host.ShowBox(BoxRequest{std::string(kCaption), "Aufruf mit: \r\nTALVLINK [<Dateiname>] [/S]",
                              BoxIcon::Stop, BoxButtons::Ok, BoxOwner::None});
      throw RunEnd{2};
    }
    code = std::string(TrimControl(*chosen));
  }
  const bool screenSaver = params.size() >= 2 && EqualsNoCase(params[1], "/S");
  if (!std::ifstream(code, std::ios::binary)) Fail(host, "Datei kann nicht gelesen werden.");

  // The runtime module named in TALVED32.INI.
  std::string runtime = host.ReadIniString("TALVED32.INI", "LINK", "Runtime", "TLVRUN32.EXE");
  // The editor's project settings write a module chosen by file dialog in double quotes (a
  // command line for starting it): one enclosing pair goes.
  if (runtime.size() >= 2 && runtime.front() == '"' && runtime.back() == '"') {
    runtime = runtime.substr(1, runtime.size() - 2);
  }
  std::ifstream module(runtime, std::ios::binary);
  if (!module) Fail(host, "Runtime-Modul nicht gefunden.");
  const uint64_t moduleSize = SizeOf(module);
  // A 16-bit module (a 0 at offset 2) would need its own header patches; this system has
  // none and refuses one rather than write a program that cannot start.
  const std::optional<std::string> start = ReadBytesAt(runtime, 0, 3);
  if (!start || (*start)[2] == '\0') Fail(host, "Ein 16-Bit-Runtime-Modul wird nicht unterstützt.");

  // The output, never the code file or the module themselves, written under a
  // temporary name so that a failure leaves no program that looks complete.
  const std::string target = WithExtension(code, screenSaver ? "scr" : "exe");
  if (SameFile(target, code) || SameFile(target, runtime)) {
    Fail(host, "Programm kann nicht erzeugt werden.");
  }
  PendingOutput output(target);
  if (!output.Open()) Fail(host, "Programm kann nicht erzeugt werden.");

  // Copy the runtime module.
  progress.Write(2, 2, "Erzeugung des Programmes:");
  progress.Write(2, 3, target);
  progress.Write(2, 5, std::to_string(moduleSize) + " Bytes RUNTIME werden kopiert.");
  bool readFailed = false;
  if (!CopyBlocks(module, output.Stream(), readFailed)) {
    Fail(host, "Fehler beim Schreiben der EXE/SCR-Datei.");
  }
  if (readFailed) Fail(host, "Fehler beim Lesen des Runtime-Moduls.");

  // Open the code file; one unused zero byte goes before it.
  std::ifstream codeFile(code, std::ios::binary);
  if (!codeFile) Fail(host, "Talven-Datei kann nicht gelesen werden.");
  const uint64_t codeSize = SizeOf(codeFile);
  output.Stream().put('\0');
  if (!output.Stream()) Fail(host, "EXE/SCR-Datei kann nicht erweitert werden.");

  // Copy the code file behind that byte.
  progress.Write(2, 7, std::to_string(codeSize) + " Bytes PROGRAMM werden");
  progress.Write(2, 8, "       dazugelinkt.");
  if (!CopyBlocks(codeFile, output.Stream(), readFailed)) {
    Fail(host, "Fehler beim Schreiben der SCR/EXE-Datei.");
  }
  if (readFailed) Fail(host, "Fehler beim Lesen des Programmes.");

  // Patch in the code offset, module size + 1, where the runtime looks for it.
  uint8_t offset[4];
  PutLittle32(offset, static_cast<uint32_t>(moduleSize + 1));
  output.Stream().seekp(kCodeOffsetPosition);
  output.Stream().write(reinterpret_cast<const char*>(offset), 4);
  if (!output.Stream()) Fail(host, "Fehler beim Schreiben der EXE/SCR-Datei.");
  if (!output.Commit()) Fail(host, "Programm kann nicht erzeugt werden.");

  // The success box.
  host.ShowBox(BoxRequest{
      std::string(kBanner),
      target + "\r\n" +
          (screenSaver ? "Screensaver erfolgreich erzeugt!" : "EXE-Programm erfolgreich erzeugt!"),
      BoxIcon::Exclamation, BoxButtons::Ok, BoxOwner::None});
}

}  // namespace

int RunLinker(Host& host, const std::vector<std::string>& params, ProgressWindow& progress) {
  try {
    Link(host, params, progress);
  } catch (const RunEnd& end) {
    return end.exitCode;
  }
  return 0;
}

}  // namespace talven
