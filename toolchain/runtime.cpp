#include "toolchain/runtime.h"

#include "common/bytes.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/startup.h"
#include "engine/text.h"
#include "toolchain/code_lines.h"
#include "toolchain/file_bytes.h"

namespace talven {

namespace {

constexpr size_t kLinkOffsetPosition = 128;

[[noreturn]] void Stop(Host& host, std::string_view caption, std::string text, int exitCode) {
  StopWithBox(host, std::string(caption), std::move(text), exitCode);
}

// Opens the code file, finds the code in it and reads its lines into the store.
void LoadCode(Host& host, const CodeLocation& where, Engine& engine) {
  const Profile& profile = engine.profile;
  std::unique_ptr<FileByteSource> source = OpenBytes(where.file, where.offset);
  if (!source) Stop(host, profile.startCaption, Joined(ErrorText(ErrorCode::FileNotFound), where.file), 2);
  const CodeFileContent content = ReadCodeFile(*source);
  if (content.error != ErrorCode::None) Stop(host, profile.loadCaption, std::string(ErrorText(content.error)), 1);
  StoreCodeLines(content.lines, engine.store);
}

}  // namespace

bool IsCodeFile(const std::string& name) {
  const std::optional<std::string> head = ReadBytesAt(name, 0, 11);
  return head && *head == " ZUL-TALVEN";
}

uint32_t LinkedCodeOffset(const std::string& name) {
  const std::optional<std::string> bytes = ReadBytesAt(name, kLinkOffsetPosition, 4);
  if (!bytes) return 0;
  return GetLittle32(reinterpret_cast<const uint8_t*>(bytes->data()));
}

CodeLocation FindCode(const std::vector<std::string>& params, const std::string& ownFile,
                      uint32_t ownOffset, bool (*isCodeFile)(const std::string&)) {
  CodeLocation where;
  if (!params.empty() && isCodeFile(params.front())) {
    where.file = params.front();
    where.programArgs.assign(params.begin() + 1, params.end());
  } else if (ownOffset != 0) {
    where.file = ownFile;
    where.offset = ownOffset;
    where.linked = true;
    where.programArgs = params;
  } else if (params.empty()) {
    where.ask = true;
  } else {
    where.file = ProgramFileName(params.front(), ".TVC");
    where.programArgs.assign(params.begin() + 1, params.end());
  }
  return where;
}

int RunRuntime(Host& host, const std::vector<std::string>& params, const std::string& ownFile,
               const Profile& profile) {
  Engine engine(host, ProgramKind::Runtime, profile);
  return RunProgram(engine, [&](Engine& run) {
    CodeLocation where = FindCode(params, ownFile, LinkedCodeOffset(ownFile), &IsCodeFile);
    if (where.ask) {
      const std::optional<std::string> chosen =
          host.OpenFileDialog("TALVEN²-" + std::string(ErrorText(ErrorCode::LoadPrompt)),
                              profile.fileFilter, profile.defaultExtension);
      if (!chosen) Stop(host, profile.startCaption, std::string(profile.usageText), 2);
      where.file = std::string(TrimControl(*chosen));
    }
    LoadCode(host, where, run);
    run.programArgs = where.programArgs;
  });
}

}  // namespace talven
