// The family "menus": the main window's menu bar with its pull-down and nested menus, and
// pop-up menus shown at a point. A chosen item becomes the window's last menu item.

#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/evaluator.h"
#include "engine/host.h"
#include "engine/profile.h"
#include "engine/text.h"
#include "library/families.h"
#include "library/menus/menu_model.h"
#include "library/menus/menus_platform.h"
#include "library/windows/window_state.h"

namespace talven {

namespace {

MenusState& MenusOf(Engine& engine) { return FamilyStateOf<MenusState>(engine, FamilyId::Menus); }

MenusPlatform& Platform(Engine& engine) {
  return FamilyPlatformOf<MenusPlatform>(engine, FamilyId::Menus);
}

intptr_t MainWindow(Engine& engine) { return EnsureWindow(engine).NativeHandle(); }

std::string TextArgument(Engine& engine) {
  Evaluate(engine, "", EvalMode::String);
  return engine.reg.Text();
}

// Whether the platform did it; else 226.
bool Made(Engine& engine, bool done) {
  if (!done) Error(engine, ErrorCode::MenuCreationFailed);
  return done;
}

// APPENDMENUBAR number, text
void StmtAppendMenuBar(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, ",");
  const std::string text = TextArgument(engine);
  const intptr_t window = MainWindow(engine);
  MenusPlatform& platform = Platform(engine);
  if (!Made(engine, platform.AppendItem(platform.MenuBar(window), id, text))) return;
  platform.Redraw(window);
}

// POPUP text: a new pull-down on the bar, made current.
void StmtPopup(Engine& engine) {
  engine.handled = true;
  const std::string text = TextArgument(engine);
  const intptr_t window = MainWindow(engine);
  MenusPlatform& platform = Platform(engine);
  const intptr_t menu = platform.NewMenu();
  if (!Made(engine, platform.AppendSubMenu(platform.MenuBar(window), menu, text))) return;
  MenusOf(engine).current = menu;
  platform.Redraw(window);
}

// SUBPOPUP text: a nested menu in the current one; the current one waits on the stack.
void StmtSubPopup(Engine& engine) {
  engine.handled = true;
  const std::string text = TextArgument(engine);
  MenusState& state = MenusOf(engine);
  if (state.stack.Depth() >= MenuStack::kMaxDepth) {
    Error(engine, ErrorCode::MenusTooDeep);
    return;
  }
  MenusPlatform& platform = Platform(engine);
  const intptr_t menu = platform.NewMenu();
  if (!Made(engine, platform.AppendSubMenu(state.current, menu, text))) return;
  state.stack.Push(state.current);
  state.current = menu;
}

void StmtEndSub(Engine& engine) {
  engine.handled = true;
  MenusState& state = MenusOf(engine);
  intptr_t parent = 0;
  if (!state.stack.Pop(parent)) {
    Error(engine, ErrorCode::SubPopupMissing);
    return;
  }
  state.current = parent;
}

// APPENDMENU number, text
void StmtAppendMenu(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, ",");
  const std::string text = TextArgument(engine);
  Made(engine, Platform(engine).AppendItem(MenusOf(engine).current, id, text));
}

void StmtSeparator(Engine& engine) {
  engine.handled = true;
  Made(engine, Platform(engine).AppendSeparator(MenusOf(engine).current));
}

void StmtCreateMenu(Engine& engine) {
  engine.handled = true;
  MenusOf(engine).current = Platform(engine).NewMenu();
}

// TRACKMENU x, y: the pop-up shown and destroyed; the choice is in the input state after.
void StmtTrackMenu(Engine& engine) {
  engine.handled = true;
  const int32_t x = EvaluateInteger(engine, ",");
  const int32_t y = EvaluateInteger(engine, "");
  MenusState& state = MenusOf(engine);
  if (state.current == 0) {
    Error(engine, ErrorCode::MenuCreationFailed);
    return;
  }
  const intptr_t window = MainWindow(engine);
  Platform(engine).Track(state.current, window, x, y);
  state.Forget();
  engine.host.RepaintMainWindow();
  if (engine.host.PumpMessages(true) == PumpResult::Quit) throw RunEnd{255};
}

// The bar's items by number act only when the window has a bar; the bar is redrawn.
template <typename Act>
void OnBar(Engine& engine, Act act) {
  const intptr_t window = MainWindow(engine);
  MenusPlatform& platform = Platform(engine);
  const intptr_t bar = platform.CurrentBar(window);
  if (bar != 0 && !act(platform, bar)) return;
  platform.Redraw(window);
}

void StmtCheckMenu(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, ",");
  const bool checked = EvaluateInteger(engine, "") != 0;
  OnBar(engine, [&](MenusPlatform& platform, intptr_t bar) {
    platform.CheckItem(bar, id, checked);
    return true;
  });
}

void StmtEnableMenu(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, ",");
  const uint32_t flags = static_cast<uint32_t>(EvaluateInteger(engine, ""));
  OnBar(engine, [&](MenusPlatform& platform, intptr_t bar) {
    platform.EnableItem(bar, id, flags);
    return true;
  });
}

void StmtRemoveMenu(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, "");
  OnBar(engine, [&](MenusPlatform& platform, intptr_t bar) {
    platform.RemoveItem(bar, id);
    return true;
  });
}

// INSERTMENU before, number, text
void StmtInsertMenu(Engine& engine) {
  engine.handled = true;
  const int32_t before = EvaluateInteger(engine, ",");
  const int32_t id = EvaluateInteger(engine, ",");
  const std::string text = TextArgument(engine);
  OnBar(engine, [&](MenusPlatform& platform, intptr_t bar) {
    return Made(engine, platform.InsertItem(bar, before, id, text));
  });
}

// SETMENUITEM number: as if that item had been chosen.
void StmtSetMenuItem(Engine& engine) {
  engine.handled = true;
  const int32_t id = EvaluateInteger(engine, "");
  WindowOf(engine).input.menuItem = id == kInformationItem ? 255 : id;
}

// USEEXTMENU module, name: a menu resource by name or number as the window's bar.
void StmtUseExtMenu(Engine& engine) {
  engine.handled = true;
  const intptr_t module = EvaluateInteger(engine, ",");
  Evaluate(engine, "");
  const bool byNumber = engine.reg.type != ValueType::String;
  const std::string name = engine.reg.Text();
  const int32_t number = engine.reg.longValue;
  const intptr_t window = MainWindow(engine);
  if (!Platform(engine).UseResourceMenu(window, module, name, byNumber, number)) {
    Error(engine, ErrorCode::MenuNotLoadable, name);
    return;
  }
  Platform(engine).Redraw(window);
}

}  // namespace

void MenusState::AtLabel(Engine& engine) {
  InputState& input = WindowOf(engine).input;
  if (input.menuItem != 255) return;
  BoxRequest box;
  box.caption = "T A L V E N \xB2";
  box.text = std::string(engine.profile.banner);
  box.icon = BoxIcon::Information;
  box.owner = BoxOwner::MainWindow;
  box.systemModal = true;
  engine.host.ShowBox(box);
  input.menuItem = kInformationSeen;
  engine.host.RepaintMainWindow();
}

namespace {

constexpr StatementRow kStatements[] = {
    {"APPENDMENUBAR", StmtAppendMenuBar},
    {"CREATEMENU", StmtCreateMenu},
    {"APPENDMENU", StmtAppendMenu},
    {"SEPARATOR", StmtSeparator},
    {"TRACKMENU", StmtTrackMenu},
    {"POPUP", StmtPopup},
    {"SUBPOPUP", StmtSubPopup},
    {"ENDSUB", StmtEndSub},
    {"CHECKMENU", StmtCheckMenu},
    {"ENABLEMENU", StmtEnableMenu},
    {"REMOVEMENU", StmtRemoveMenu},
    {"INSERTMENU", StmtInsertMenu},
    {"SETMENUITEM", StmtSetMenuItem},
    {"USEEXTMENU", StmtUseExtMenu},
};

}  // namespace

const Family& MenusFamily() {
  static const Family kFamily{
      .name = "menus",
      .statements = kStatements,
      .functions = {},
      .variables = {},
      .makeState = [](Engine&) -> std::unique_ptr<FamilyState> { return std::make_unique<MenusState>(); },
      .makePlatform = []() -> std::unique_ptr<FamilyPlatform> { return std::make_unique<NullMenus>(); },
      .arguments = ArgumentStyle::ParameterText,
  };
  return kFamily;
}

}  // namespace talven
