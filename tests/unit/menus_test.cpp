// The portable parts of the menus: the stack of open sub-menus, and the item texts as a
// user reads them (how a menu choice by text finds its item).

#include <gtest/gtest.h>

#include "library/menus/menu_model.h"

namespace talven {
namespace {

TEST(MenuStack, ElevenLevelsThenRefused) {
  MenuStack stack;
  for (intptr_t menu = 1; menu <= 11; ++menu) EXPECT_TRUE(stack.Push(menu));
  // The twelfth is refused and changes nothing.
  EXPECT_FALSE(stack.Push(12));
  EXPECT_EQ(stack.Depth(), 11u);
  intptr_t menu = 0;
  for (intptr_t expected = 11; expected >= 1; --expected) {
    ASSERT_TRUE(stack.Pop(menu));
    EXPECT_EQ(menu, expected);
  }
  // A surplus pop leaves the menu it was given alone.
  menu = 99;
  EXPECT_FALSE(stack.Pop(menu));
  EXPECT_EQ(menu, 99);
}

TEST(MenuItemLabel, MarksShortcutsAndOddTexts) {
  EXPECT_EQ(MenuItemLabel("&Datei"), "Datei");
  EXPECT_EQ(MenuItemLabel("\xD6&ffnen"), "\xD6" "ffnen");
  EXPECT_EQ(MenuItemLabel("Ein && Aus"), "Ein & Aus");
  EXPECT_EQ(MenuItemLabel("&&&Neu"), "&Neu");
  EXPECT_EQ(MenuItemLabel("&Speichern\tStrg+S"), "Speichern");
  // A mark at the very end, or only marks: nothing is read past the text.
  EXPECT_EQ(MenuItemLabel("Ende&"), "Ende");
  EXPECT_EQ(MenuItemLabel("&"), "");
  EXPECT_EQ(MenuItemLabel(""), "");
  EXPECT_EQ(MenuItemLabel("\tnur Taste"), "");
}

TEST(SplitMenuPath, LevelsAndEmptyOnes) {
  EXPECT_EQ(SplitMenuPath("Datei>Zuletzt>eins"), (std::vector<std::string>{"Datei", "Zuletzt", "eins"}));
  EXPECT_EQ(SplitMenuPath("Los"), std::vector<std::string>{"Los"});
  // Empty levels stay (and match no item); a trailing ">" gives an empty last level.
  EXPECT_EQ(SplitMenuPath(""), std::vector<std::string>{""});
  EXPECT_EQ(SplitMenuPath("a>>b>"), (std::vector<std::string>{"a", "", "b", ""}));
}

}  // namespace
}  // namespace talven
