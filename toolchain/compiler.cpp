#include "toolchain/compiler.h"

#include <chrono>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "engine/text.h"
#include "toolchain/file_bytes.h"
#include "toolchain/file_output.h"
#include "toolchain/translator.h"

namespace talven {

namespace {

constexpr std::string_view kCaption = "TALVEN²-COMPILER";
constexpr std::string_view kBanner = "ZUL-TALVEN² COMPILER 6.6a-32";

[[noreturn]] void Stop(Host& host, std::string caption, std::string text, int exitCode) {
  StopWithBox(host, std::move(caption), std::move(text), exitCode);
}

ScrambleMode ModeOf(ScrambleDirective directive) {
  switch (directive) {
    case ScrambleDirective::Xor:
      return ScrambleMode::Xor;
    case ScrambleDirective::Cipher:
      return ScrambleMode::Cipher;
    default:
      return ScrambleMode::Plain;
  }
}

void Compile(Host& host, const std::vector<std::string>& params, ProgressWindow& progress,
             RandomSource& random) {
  // The source: parameter 1, or the file the dialog chooses.
  std::string source;
  if (!params.empty()) {
    source = ProgramFileName(params.front(), ".TVS");
  } else {
    const std::optional<std::string> chosen = host.OpenFileDialog(
        "TALVEN²-" + std::string(ErrorText(ErrorCode::LoadPrompt)), "*.TVS|*.TVS", "TVS");
    if (!chosen)
      Stop(host, std::string(kCaption), std::string(ErrorText(ErrorCode::UsageCompiler)), 2);
    source = std::string(TrimControl(*chosen));
  }
  const bool batch = params.size() >= 2 && EqualsNoCase(params[1], "/B");
  std::unique_ptr<InputFile> input = host.OpenInput(source);
  if (!input)
    Stop(host, std::string(kCaption), Joined(ErrorText(ErrorCode::FileNotCreatable), source), 2);

  // The output, written under a temporary name: a failed compilation never leaves
  // a file that looks like a code file, and never touches its own source.
  const std::string target = WithExtension(source, "tvc");
  if (SameFile(source, target))
    Stop(host, std::string(kCaption), Joined(ErrorText(ErrorCode::FileNotCreatable), target), 2);
  PendingOutput output(target);
  if (!output.Open())
    Stop(host, std::string(kCaption), Joined(ErrorText(ErrorCode::FileNotCreatable), target), 2);
  progress.Write(2, 2, ErrorText(ErrorCode::ProgramLabel));
  progress.Write(2, 3, target);
  progress.Write(2, 5, ErrorText(ErrorCode::CompilingLine));

  // Load as the interpreter does, with the directives of the main file.
  ProgramStore store;
  CompilerLoad load;
  LoadSource(host, *input, store, &load);
  input.reset();

  // The header, with the mode the directive chose.
  const auto header = MakeCodeHeader(ModeOf(load.directive), random);
  output.Stream().write(reinterpret_cast<const char*>(header.data()), header.size());
  CodeFileWriter writer(header);

  // Translate and write line by line, then check for blocks left open.
  Translator translator(store);
  TranslateError error;
  std::string body;
  bool progEnd = false;
  for (int32_t n = 1; n <= store.LineCount() && !progEnd; ++n) {
    if (!translator.TranslateLine(n, body, progEnd, error)) break;
    output.Stream() << writer.Record(body);
    progress.Write(19, 5, PadLeft(n, 4));
  }
  if (error.code == ErrorCode::None) translator.Finish(error);
  writer.Finish();
  if (error.code != ErrorCode::None) {
    Stop(host, Joined(ErrorText(error.code), error.detail), error.context, 2);
  }
  if (!output.Commit())
    Stop(host, std::string(kCaption), Joined(ErrorText(ErrorCode::FileNotCreatable), target), 2);

  // The success box, unless /B asked for none.
  if (!batch) {
    host.ShowBox(
        BoxRequest{std::string(kBanner),
                   target + "\r\n" + std::string(ErrorText(ErrorCode::CompiledSuccessfully)),
                   BoxIcon::Exclamation, BoxButtons::Ok, BoxOwner::None});
  }
}

}  // namespace

ClockRandom::ClockRandom()
    : m_state(static_cast<uint64_t>(
                  std::chrono::high_resolution_clock::now().time_since_epoch().count()) |
              1u) {}

uint8_t ClockRandom::Next(uint8_t low, uint8_t high) {
  // xorshift64*: plenty for header bytes that only need their ranges.
  m_state ^= m_state >> 12;
  m_state ^= m_state << 25;
  m_state ^= m_state >> 27;
  const uint64_t value = (m_state * 0x2545F4914F6CDD1Dull) >> 32;
  return static_cast<uint8_t>(low + value % (static_cast<uint32_t>(high - low) + 1));
}

int RunCompiler(Host& host, const std::vector<std::string>& params, ProgressWindow& progress,
                RandomSource& random) {
  try {
    Compile(host, params, progress, random);
  } catch (const RunEnd& end) {
    return end.exitCode;
  }
  return 0;
}

}  // namespace talven
