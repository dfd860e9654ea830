// The family "clipboard": CLEARCLIP and PUTCLIP put text on the clipboard or take all off
// it (@GETCLIP$ reads it back, with the system functions).

#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/evaluator.h"
#include "library/clipboard/clipboard_platform.h"
#include "library/families.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

// PUTCLIP's block holds 255 bytes: at most 254 characters and the terminating zero.
constexpr size_t kClipText = 254;

// A clipboard kept in memory, for hosts without one.
class MemoryClipboard : public ClipboardPlatform {
 public:
  bool Clear(intptr_t) override {
    text.reset();
    return true;
  }
  bool PutText(intptr_t, const std::string& value) override {
    text = value;
    return true;
  }
  std::optional<std::string> text;
};

ClipboardPlatform& ClipboardOf(Engine& engine) {
  return FamilyPlatformOf<ClipboardPlatform>(engine, FamilyId::Clipboard);
}

void StmtClearClip(Engine& engine) {
  engine.handled = true;
  ClipboardOf(engine).Clear(WindowPlatformOf(engine).NativeHandle());
}

// Whatever the clipboard held before (other text, a picture) is gone afterwards.
void StmtPutClip(Engine& engine) {
  engine.handled = true;
  Evaluate(engine, "");
  std::string text = engine.reg.Text();
  if (text.size() > kClipText) text.resize(kClipText);
  ClipboardOf(engine).PutText(WindowPlatformOf(engine).NativeHandle(), text);
}

constexpr StatementRow kStatements[] = {
    {"CLEARCLIP", StmtClearClip},
    {"PUTCLIP", StmtPutClip},
};

}  // namespace

std::unique_ptr<FamilyPlatform> MakeMemoryClipboard() { return std::make_unique<MemoryClipboard>(); }

const Family& ClipboardFamily() {
  static const Family kFamily{
      .name = "clipboard",
      .statements = kStatements,
      .functions = {},
      .variables = {},
      .makeState = nullptr,
      .makePlatform = MakeMemoryClipboard,
      .arguments = ArgumentStyle::Readers,
  };
  return kFamily;
}

}  // namespace talven
