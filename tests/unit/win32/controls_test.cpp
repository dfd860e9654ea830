// The controls and menus on real Win32 controls (the Windows build of the unit tests, run
// under Wine): styles and identifiers as created, the list and scroll-bar results Windows
// gives, keys typed through SendInput, the ready-made dialogs from the programs' templates
// answered by a second thread, and menu bars built by the menu platform.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/startup.h"
#include "library/controls/win32/controls_win32.h"
#include "library/families.h"
#include "library/menus/win32/menu_lookup.h"
#include "library/menus/win32/menus_win32.h"
#include "library/profiles.h"
#include "tests/support/recording_host.h"
#include "tests/unit/test_program.h"

namespace talven {
namespace {

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A plain top-level window the controls are made in.
struct Parent {
  HWND window = CreateWindowExA(0, "STATIC", "Eltern", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                500, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ~Parent() { DestroyWindow(window); }
  std::string Number() const { return std::to_string(reinterpret_cast<intptr_t>(window)); }
};

// A program run on the recording host with the real controls platform.
struct ProgramRun {
  test::RecordingHost host;
  std::unique_ptr<ControlsPlatform> controls = MakeWin32Controls();
  Engine engine{host, ProgramKind::Interpreter, InterpreterProfile()};
  ProgramRun() { host.UsePlatform(FamilyIndex(FamilyId::Controls), *controls); }
  int operator()(const std::string& text) {
    return RunProgram(engine, [&](Engine& run) {
      test::MemoryFile file(text);
      LoadSource(run.host, file, run.store);
    });
  }
  HWND Handle(size_t row) const {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(std::atoll(host.window.screen.at(row).c_str())));
  }
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

TEST(Win32Controls, StylesClassesAndIdentifiers) {
  Parent parent;
  const std::string p = parent.Number();
  struct Expected {
    const char* call;
    const char* className;
    DWORD style;
  };
  const Expected expected[] = {
      {"CREATEBUTTON", "Button", 0x50010000}, {"CREATEDEFBUTTON", "Button", 0x50010001},
      {"CREATECHECKBOX", "Button", 0x50010003}, {"CREATERADIOBUTTON", "Button", 0x50010009},
      {"CREATEGROUPBOX", "Button", 0x50030007}, {"CREATETEXT", "Static", 0x50000000},
      {"CREATEEDIT", "Edit", 0x50010080},     {"CREATEMULTIEDIT", "Edit", 0x50311144},
      {"CREATELISTBOX", "ListBox", 0x50B101C1}, {"CREATESORTEDLISTBOX", "ListBox", 0x50B101C3},
      {"CREATECHOICEBOX", "ComboBox", 0x50B10303}, {"CREATEHSCROLL", "ScrollBar", 0x50810000},
      {"CREATEVSCROLL", "ScrollBar", 0x50010001},
  };
  std::string program = "DECLARE h%\n";
  for (const Expected& e : expected) {
    program += std::string("h% = @") + e.call + "(" + p + ", \"x\", 5, 5, 80, 40)\nPRINT h%\n";
  }
  program += "h% = @CREATEEDIT(" + p + ", \"\", 10, 10, 100, -20)\nPRINT h%\n";
  program += "h% = @CREATEICON(" + p + ", \"TALVEN\", 3, 4)\nPRINT h%\n";
  program += "PRINT @CREATEBUTTON(0, \"ohne\", 1, 1, 1, 1)\n";
  ProgramRun run;
  ASSERT_EQ(run(program), 0);
  ASSERT_EQ(run.host.window.screen.size(), std::size(expected) + 3);
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].call);
    HWND control = run.Handle(i);
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(lstrcmpiA(ClassOf(control).c_str(), expected[i].className), 0) << ClassOf(control);
    // Lists and combo boxes show their scroll bars and border as they need them.
    const DWORD shown = WS_HSCROLL | WS_VSCROLL | WS_BORDER;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & 0xFFFF0000u & ~shown,
              expected[i].style & 0xFFFF0000u & ~shown);
    EXPECT_EQ(GetDlgCtrlID(control), 1000 + static_cast<int>(i));
  }
  // The password field: its own style, the absolute height, a client edge.
  HWND password = run.Handle(std::size(expected));
  EXPECT_TRUE(GetWindowLongA(password, GWL_STYLE) & ES_PASSWORD);
  EXPECT_TRUE(GetWindowLongA(password, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT rect = {};
  GetWindowRect(password, &rect);
  EXPECT_EQ(rect.bottom - rect.top, 20);
  EXPECT_TRUE(IsWindow(run.Handle(std::size(expected) + 1)));
  // A child without a parent cannot be made: 0, no error.
  EXPECT_EQ(run.host.window.screen.back(), "0");
}

TEST(Win32Controls, ListAndScrollResultsAreWindows) {
  Parent parent;
  const std::string p = parent.Number();
  ProgramRun run;
  ASSERT_EQ(run("DECLARE l%, s%, e%\n"
                "l% = @CREATESORTEDLISTBOX(" + p + ", \"\", 0, 0, 100, 100)\n"
                "PRINT @ADDSTRING(l%, \"Kiwi\"); @ADDSTRING(l%, \"Apfel\"); @ADDSTRING(l%, \"Birne\")\n"
                "PRINT @SELECTSTRING(l%, -1, \"bi\"); @GETCURSEL(l%); @GETCOUNT(l%)\n"
                "PRINT @INSERTSTRING(l%, 0, \"Zitrone\"); @DELETESTRING(l%, 1); @GETSTRING$(l%, 0)\n"
                "PRINT @ADDSTRING(l%, @MKSTR$(\"x\", 250) + @MKSTR$(\"y\", 250)); @LEN(@GETSTRING$(l%, 3))\n"
                "PRINT @GETSTRING$(l%, 99); \"|\"; @GETSTRING$(l%, -1); \"|\"\n"
                "s% = @CREATEHSCROLL(" + p + ", \"\", 0, 0, 100, 16)\n"
                "SETSCROLLPOS s%, 500\nPRINT @GETSCROLLPOS(s%)\n"
                "SETSCROLLRANGE s%, 10, 20\nSETSCROLLPOS s%, -5\nPRINT @GETSCROLLPOS(s%)\n"
                "e% = @CREATEMULTIEDIT(" + p + ", \"\", 0, 0, 100, 100)\n"
                "SETTEXT e%, \"eins\" + @CHR$(13) + @CHR$(10) + \"zwei\"\n"
                "PRINT @GETLINECOUNT(e%); @GETLINE$(e%, 1); @GETTEXT$(e%)\n"
                "e% = @CREATECHECKBOX(" + p + ", \"\", 0, 0, 10, 10)\n"
                "SETCHECK e%, 7\nPRINT @GETCHECK(e%)\n"),
            0);
  EXPECT_EQ(run.host.window.screen,
            (std::vector<std::string>{"001", "113", "03Zitrone", "3255", "||", "100", "10",
                                      "2zweieins", "zwei", "1"}));
}

TEST(Win32Controls, MoveListToEditKeepsItsLimit) {
  Parent parent;
  ProgramRun run;
  ASSERT_EQ(run("DECLARE e%, i%\nWHILE i% < 251\n  ADDSTRING @MKSTR$(\"x\", 255)\n  INC i%\nWEND\n"
                "e% = @CREATEMULTIEDIT(" + parent.Number() + ", \"\", 0, 0, 100, 100)\n"
                "PRINT e%\nPRINT @MOVELISTTOEDIT(e%)\n"),
            0);
  EXPECT_EQ(run.host.window.screen.at(1), "0");
  EXPECT_EQ(GetWindowTextLengthA(run.Handle(0)), 63993);
}

TEST(Win32Controls, SendStringTypesIntoARealEdit) {
  Parent parent;
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 200, 100,
                              parent.window, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(parent.window);
  SetFocus(edit);
  Pump();
  ProgramRun run;
  ASSERT_EQ(run("PRINT @SENDSTRING(0, \"+(ab)c{TAB 3}~x\"); @SENDKEY(0, \"{BS}\")\n"), 0);
  for (int i = 0; i < 50; ++i) {
    Pump();
    Sleep(5);
  }
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"11"});
  char text[64] = {};
  GetWindowTextA(edit, text, sizeof(text));
  EXPECT_STREQ(text, "ABC\t\t\t");
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

// A thread that answers the next dialog of this process: it records the caption and the
// texts of some items, then acts.
class Answerer {
 public:
  template <typename Act>
  explicit Answerer(Act act)
      : m_thread([this, act] {
          HWND dialog = nullptr;
          for (int i = 0; i < 500 && dialog == nullptr; ++i) {
            dialog = FindWindowA("#32770", nullptr);
            if (dialog == nullptr || !IsWindowVisible(dialog)) {
              dialog = nullptr;
              Sleep(10);
            }
          }
          if (dialog == nullptr) return;
          char caption[256] = {};
          GetWindowTextA(dialog, caption, sizeof(caption));
          this->caption = caption;
          act(dialog);
        }) {}
  ~Answerer() { Join(); }
  void Join() {
    if (m_thread.joinable()) m_thread.join();
  }
  std::string caption;

 private:
  std::thread m_thread;
};

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST(Win32Dialogs, EditBoxOkAndCancel) {
  ProgramRun run;
  std::string items;
  Answerer answer([&](HWND dialog) {
    char text[64] = {};
    GetDlgItemTextA(dialog, 101, text, sizeof(text));
    items = text;
    for (int id : {102, 103, 104, 2}) {
      char label[32] = {};
      GetDlgItemTextA(dialog, id, label, sizeof(label));
      items += std::string("|") + label;
    }
    SetDlgItemTextA(dialog, 101, "eins\r\nzwei\r\ndrei");
    Press(dialog, IDOK);
  });
  ASSERT_EQ(run("ADDSTRING \"alt\"\nADDSTRING \"alt2\"\n"
                "PRINT @EDITBOX(\"\", 1); %BUTTON; %GETCOUNT; @LISTBOXITEM$(2)\n"),
            0);
  answer.Join();
  EXPECT_EQ(answer.caption, "Edit-Box");
  EXPECT_EQ(items, "alt\r\nalt2|kopieren|ausschneiden|einf\xFCgen|&Abbruch");
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"112drei"});

  ProgramRun cancelled;
  Answerer cancel([&](HWND dialog) { Press(dialog, IDCANCEL); });
  ASSERT_EQ(cancelled("ADDSTRING \"alt\"\nPRINT @EDITBOX(\"Titel\", 2); %BUTTON; %GETCOUNT\n"), 0);
  cancel.Join();
  EXPECT_EQ(cancel.caption, "Titel");
  EXPECT_EQ(cancelled.host.window.screen, std::vector<std::string>{"020"});
}

TEST(Win32Dialogs, ListBoxSelectsAndInputTrims) {
  ProgramRun run;
  Answerer answer([&](HWND dialog) {
    HWND list = GetDlgItem(dialog, 101);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  });
  ASSERT_EQ(run("DECLARE a$\nADDSTRING \"Kiwi \"\nADDSTRING \"Apfel\"\nADDSTRING \"Birne\"\n"
                "a$ = @LISTBOX$(\"\", 2)\nPRINT a$; \"|\"; %GETCURSEL; \"|\"; $GETTEXT; \"|\"; %BUTTON\n"),
            0);
  answer.Join();
  // LISTBOX2 carries the caption "LISTBOX4"; its list is not sorted.
  EXPECT_EQ(answer.caption, "LISTBOX4");
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"Apfel|1|Apfel|1"});

  ProgramRun sorted;
  Answerer pick([&](HWND dialog) {
    HWND list = GetDlgItem(dialog, 101);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Press(dialog, IDOK);
  });
  ASSERT_EQ(sorted("DECLARE a$\nADDSTRING \"Kiwi \"\nADDSTRING \"Apfel\"\n"
                   "a$ = @LISTBOX$(\"Wahl\", 9)\nPRINT a$; \"|\"; %GETCURSEL\n"),
            0);
  pick.Join();
  EXPECT_EQ(pick.caption, "Wahl");
  EXPECT_EQ(sorted.host.window.screen, std::vector<std::string>{"Apfel|0"});

  ProgramRun input;
  std::string prompt;
  Answerer type([&](HWND dialog) {
    char text[64] = {};
    GetDlgItemTextA(dialog, 100, text, sizeof(text));
    prompt = text;
    GetDlgItemTextA(dialog, 101, text, sizeof(text));
    prompt += std::string("|") + text;
    SetDlgItemTextA(dialog, 101, "  hallo  ");
    Press(dialog, IDOK);
  });
  ASSERT_EQ(input("DECLARE a$\na$ = @INPUT$(\"Name?\", \"Frage\", \"vor\")\n"
                  "PRINT a$; \"|\"; $GETINPUT; \"|\"; %BUTTON\n"),
            0);
  type.Join();
  EXPECT_EQ(type.caption, "Frage");
  EXPECT_EQ(prompt, "Name?|vor");
  EXPECT_EQ(input.host.window.screen, std::vector<std::string>{"hallo|hallo|1"});
}

TEST(Win32Dialogs, MessageBoxReturnsTheButton) {
  ProgramRun run;
  Answerer answer([&](HWND dialog) { Press(dialog, IDNO); });
  ASSERT_EQ(run("PRINT @MESSAGEBOX(\"Weiter?\", \"Frage\", 4)\n"), 0);
  answer.Join();
  EXPECT_EQ(answer.caption, "Frage");
  EXPECT_EQ(run.host.window.screen, std::vector<std::string>{"7"});
}

std::string ItemText(HMENU menu, UINT position) {
  char text[64] = {};
  GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
  return text;
}

TEST(Win32Menus, BarsPopupsAndItemsByNumber) {
  Parent parent;
  auto menus = MakeWin32Menus();
  const intptr_t window = reinterpret_cast<intptr_t>(parent.window);
  const intptr_t bar = menus->MenuBar(window);
  ASSERT_NE(bar, 0);
  EXPECT_EQ(menus->MenuBar(window), bar);
  const intptr_t file = menus->NewMenu();
  ASSERT_TRUE(menus->AppendSubMenu(bar, file, "&Datei"));
  ASSERT_TRUE(menus->AppendItem(file, 101, "\xD6""ffnen"));
  ASSERT_TRUE(menus->AppendSeparator(file));
  ASSERT_TRUE(menus->AppendItem(file, 102, "Ende"));
  const intptr_t sub = menus->NewMenu();
  ASSERT_TRUE(menus->AppendSubMenu(file, sub, "Zuletzt"));
  ASSERT_TRUE(menus->AppendItem(sub, 103, "eins"));
  ASSERT_TRUE(menus->AppendItem(bar, 32767, "Info"));
  EXPECT_FALSE(menus->AppendItem(0, 1, "nirgends"));
  // Items by number are found in the nested menus too.
  menus->CheckItem(bar, 103, true);
  EXPECT_TRUE(GetMenuState(reinterpret_cast<HMENU>(sub), 103, MF_BYCOMMAND) & MF_CHECKED);
  menus->EnableItem(bar, 102, 1);
  EXPECT_TRUE(GetMenuState(reinterpret_cast<HMENU>(file), 102, MF_BYCOMMAND) & MF_GRAYED);
  ASSERT_TRUE(menus->InsertItem(bar, 102, 104, "Neu"));
  menus->RemoveItem(bar, 101);
  HMENU fileMenu = reinterpret_cast<HMENU>(file);
  ASSERT_EQ(GetMenuItemCount(fileMenu), 4);
  EXPECT_EQ(ItemText(fileMenu, 0), "");  // the separator
  EXPECT_EQ(ItemText(fileMenu, 1), "Neu");
  EXPECT_EQ(ItemText(fileMenu, 2), "Ende");
  EXPECT_EQ(ItemText(reinterpret_cast<HMENU>(bar), 0), "&Datei");
  EXPECT_EQ(menus->CurrentBar(window), bar);
  // The program's own resource "LEER"; a missing one fails.
  EXPECT_TRUE(menus->UseResourceMenu(window, 0, "LEER", false, 0));
  EXPECT_NE(menus->CurrentBar(window), bar);
  EXPECT_EQ(GetMenuItemCount(GetMenu(parent.window)), 0);
  EXPECT_FALSE(menus->UseResourceMenu(window, 0, "GIBTSNICHT", false, 0));
}

int g_lastCommand = 0;
LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) g_lastCommand = LOWORD(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// TRACKMENU's pop-up chosen with the keyboard: the item's number arrives as a command and the
// menu is gone afterwards.
TEST(Win32Menus, TrackedPopupReportsTheChoice) {
  Parent parent;
  SetWindowLongPtrA(parent.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands));
  auto menus = MakeWin32Menus();
  const intptr_t popup = menus->NewMenu();
  ASSERT_TRUE(menus->AppendItem(popup, 4, "vier"));
  ASSERT_TRUE(menus->AppendItem(popup, 5, "f\xFCnf"));
  g_lastCommand = 0;
  std::thread chooser([] {
    for (int i = 0; i < 300 && FindWindowA("#32768", nullptr) == nullptr; ++i) Sleep(10);
    Sleep(50);
    for (WORD key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
      INPUT inputs[2] = {};
      inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
      inputs[0].ki.wVk = inputs[1].ki.wVk = key;
      inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, inputs, sizeof(INPUT));
      Sleep(30);
    }
  });
  menus->Track(popup, reinterpret_cast<intptr_t>(parent.window), 10, 10);
  chooser.join();
  Pump();
  EXPECT_EQ(g_lastCommand, 5);
  EXPECT_FALSE(IsMenu(reinterpret_cast<HMENU>(popup)));
}

// Hostile handles, sizes and classes: a list box's 1000-character entry (LB_GETTEXT takes
// no size) read without overrunning anything, every operation on a destroyed control answered as Windows answers
// a dead handle, an unknown class made as nothing, sizes of INT_MIN made at all.
TEST(Win32Controls, HostileHandlesSizesAndClasses) {
  Parent parent;
  const std::string p = parent.Number();
  HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent.window,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  const std::string entry = std::string(500, 'a') + std::string(500, 'b');
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  HWND dead = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 10, 10, parent.window, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(dead);
  const std::string l = std::to_string(reinterpret_cast<intptr_t>(list));
  const std::string d = std::to_string(reinterpret_cast<intptr_t>(dead));
  ProgramRun run;
  ASSERT_EQ(run("DECLARE a$, h%\n"
                "a$ = @GETSTRING$(" + l + ", 0)\n"
                "PRINT @LEN(a$); @LEFT$(a$, 1); @RIGHT$(a$, 1)\n"
                "PRINT @GETCOUNT(" + d + "); @ADDSTRING(" + d + ", \"x\"); @GETCURSEL(" + d + ")\n"
                "PRINT \"|\"; @GETSTRING$(" + d + ", 0); \"|\"; @GETTEXT$(" + d + "); \"|\"; @GETLINE$(" + d + ", 0); \"|\"\n"
                "PRINT @GETCHECK(" + d + "); @GETSCROLLPOS(" + d + "); @MOVELISTTOEDIT(" + d + ")\n"
                "SETTEXT " + d + ", \"x\"\nSETCHECK " + d + ", 1\nSETSCROLLPOS " + d + ", 3\n"
                "h% = @CONTROL(\"GIBTSNICHT\", \"x\", 1, 0, 0, 5, 5, " + p + ", 77, 0, 0)\n"
                "PRINT h%\n"
                "h% = @CREATEBUTTON(" + p + ", \"x\", -2147483648, -2147483648, -2147483648, -2147483648)\n"
                "PRINT @EQU(h%, 0)\n"),
            0);
  ASSERT_EQ(run.host.window.screen.size(), 6u);
  const std::string& read = run.host.window.screen[0];
  // Read whole, then kept as a string value keeps it: its first 255 characters.
  EXPECT_EQ(read, "255aa");
  // SendMessage to a dead window does nothing and answers 0.
  EXPECT_EQ(run.host.window.screen[1], "000");
  EXPECT_EQ(run.host.window.screen[2], "||||");
  EXPECT_EQ(run.host.window.screen[3], "001");  // an empty list always fits
  EXPECT_EQ(run.host.window.screen[4], "0");
  EXPECT_EQ(run.host.window.screen[5], "0");
  DestroyWindow(list);
}

std::vector<std::string> ListEntries(HWND list) {
  std::vector<std::string> entries;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[300] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

std::vector<std::string> ChoiceEntries(HWND combo) {
  std::vector<std::string> entries;
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[300] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

// MOVELISTTOLIST into a sorted list box (and MOVELISTTOCHOICE into a sorted choice box)
// leaves what adding the entries one by one leaves: into an empty list the entries go in
// the list's own order without its search, and this must be exactly its order, for
// punctuation, umlauts, digits and case; entries equal but for case, and a list that
// already holds entries, take the one-by-one way.
TEST(Win32Controls, MoveListToSortedListAsOneByOne) {
  Parent parent;
  const std::vector<std::vector<std::string>> cases = {
      {"Kiwi", "apfel", "Birne", "Zitrone", "Kiwi", "\xC4pfel", "10", "9"},
      {"Kiwi", "apfel", "Birne", "Apfel", "kiwi", "Zitrone", "APFEL"},
      {"co-op", "coop", "Co op", "a'b", "ab", "\xC4rger", "Arger", "zz", "Z-1", "_x", "~y", "1a",
       "\xDF", "st", "\xF6l", "ol", "Eintrag 10", "Eintrag 9", "Eintrag 100", "", " x", "x", "-",
       "\xE9t\xE9", "ete", "\xFF", "!", "#1"},
  };
  for (const std::vector<std::string>& entries : cases) {
    for (const bool prefilled : {false, true}) {
      HWND moved = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS, 0, 0, 10, 10,
                                   parent.window, nullptr, GetModuleHandleA(nullptr), nullptr);
      HWND single = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS, 0, 0, 10, 10,
                                    parent.window, nullptr, GetModuleHandleA(nullptr), nullptr);
      HWND choice = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS,
                                    0, 0, 10, 100, parent.window, nullptr, GetModuleHandleA(nullptr), nullptr);
      if (prefilled) {
        for (HWND list : {moved, single}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Mitte"));
        SendMessageA(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Mitte"));
      }
      for (const std::string& entry : entries) {
        SendMessageA(single, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
      std::string program = "DECLARE n%\n";
      for (const std::string& entry : entries) program += "ADDSTRING \"" + entry + "\"\n";
      program += "n% = @MOVELISTTOLIST(" + std::to_string(reinterpret_cast<intptr_t>(moved)) + ")\n";
      program += "n% = @MOVELISTTOCHOICE(" + std::to_string(reinterpret_cast<intptr_t>(choice)) + ")\n";
      ProgramRun run;
      ASSERT_EQ(run(program), 0);
      EXPECT_EQ(ListEntries(moved), ListEntries(single));
      EXPECT_EQ(ChoiceEntries(choice), ListEntries(single));
      EXPECT_EQ(ListEntries(moved).size(), entries.size() + (prefilled ? 1 : 0));
      DestroyWindow(moved);
      DestroyWindow(single);
      DestroyWindow(choice);
    }
  }
}

// ADDFILES lists the names in the order lstrcmpi gives (sorted by sort keys, which must
// agree with it for punctuation, umlauts, digits and case), files first, then the folders
// in square brackets; the tree mode lists the files of each folder before those below.
TEST(Win32Controls, FileNamesInTheOrderOfLstrcmpi) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof(temp), temp);
  const std::string folder = std::string(temp) + "talven_addfiles_" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\Unter").c_str(), nullptr));
  const std::vector<std::string> names = {"b.txt", "A.txt", "_x.txt", "\xC4rger.txt", "a-b.txt", "ab.txt",
                                          "10.txt", "9.txt", "co op.txt", "Zebra.TXT", "\xDF.txt", "~.txt"};
  for (const std::string& name : names) {
    HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    CloseHandle(file);
  }
  HANDLE below = CreateFileA((folder + "\\Unter\\c.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(below);
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  std::vector<std::string> folders = {"[..]", "[Unter]"};
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  std::vector<std::string> listing = expected;
  listing.insert(listing.end(), folders.begin(), folders.end());
  std::unique_ptr<ControlsPlatform> controls = MakeWin32Controls();
  EXPECT_EQ(controls->Files(folder + "\\*.*", false, 100).names, listing);
  std::vector<std::string> tree;
  for (const std::string& name : expected) tree.push_back(folder + "\\" + name);
  tree.push_back(folder + "\\Unter\\c.txt");
  EXPECT_EQ(controls->Files(folder + "\\*.txt", true, 100).names, tree);
  const ControlsPlatform::Names cut = controls->Files(folder + "\\*.*", false, 3);
  EXPECT_TRUE(cut.more);
  EXPECT_EQ(cut.names.size(), 3u);
  for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
  DeleteFileA((folder + "\\Unter\\c.txt").c_str());
  RemoveDirectoryA((folder + "\\Unter").c_str());
  RemoveDirectoryA(folder.c_str());
}

int g_chosen = 0;
LRESULT CALLBACK RecordChoice(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) g_chosen = LOWORD(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void ClickScreen(LRESULT point) {
  SetCursorPos(static_cast<int16_t>(LOWORD(point)), static_cast<int16_t>(HIWORD(point)));
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// Menu items found by the texts a user reads, as the test driver asks for them: the bar's
// items where the bar shows them, a pull-down's items only while it is open, the pop-up of
// TRACKMENU while it is shown (a click there chooses).
TEST(Win32Menus, ItemsFoundByTheirTexts) {
  Parent parent;
  SetWindowLongPtrA(parent.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordChoice));
  auto menus = MakeWin32Menus();
  const intptr_t window = reinterpret_cast<intptr_t>(parent.window);
  const intptr_t bar = menus->MenuBar(window);
  const intptr_t file = menus->NewMenu();
  ASSERT_TRUE(menus->AppendSubMenu(bar, file, "&Datei"));
  ASSERT_TRUE(menus->AppendItem(file, 101, "\xD6&ffnen\tStrg+O"));
  ASSERT_TRUE(menus->AppendItem(bar, 106, "&Los"));
  menus->Redraw(window);
  Pump();
  RECT frame = {};
  GetWindowRect(parent.window, &frame);
  const LRESULT datei = MenuItemPoint(parent.window, "Datei");
  ASSERT_NE(datei, 0);
  EXPECT_GE(static_cast<int16_t>(LOWORD(datei)), frame.left);
  EXPECT_LE(static_cast<int16_t>(HIWORD(datei)), frame.top + 60);
  EXPECT_GT(static_cast<int16_t>(LOWORD(MenuItemPoint(parent.window, "Los"))), LOWORD(datei));
  EXPECT_EQ(MenuItemPoint(parent.window, "Datei>\xD6" "ffnen"), 0);  // not open
  EXPECT_EQ(MenuItemPoint(parent.window, "&Datei"), 0);              // texts without marks
  EXPECT_EQ(MenuItemPoint(parent.window, "Nichts"), 0);
  EXPECT_EQ(MenuItemPoint(parent.window, "Los>mehr"), 0);
  EXPECT_EQ(MenuItemPoint(parent.window, ""), 0);

  const intptr_t popup = menus->NewMenu();
  ASSERT_TRUE(menus->AppendItem(popup, 4, "vier"));
  ASSERT_TRUE(menus->AppendItem(popup, 5, "f\xFCnf"));
  g_chosen = 0;
  std::atomic<LRESULT> found{0};
  std::thread chooser([&] {
    const auto open = [] {
      HWND popup = FindWindowA("#32768", nullptr);
      return popup != nullptr && IsWindowVisible(popup);
    };
    for (int i = 0; i < 300 && !open(); ++i) Sleep(10);
    // A click may come before the pop-up takes input: it is tried again (never so soon that
    // two clicks make a double click); if the pop-up is still there then, Escape closes it
    // and the test fails instead of waiting for ever.
    for (int attempt = 0; attempt < 3 && open(); ++attempt) {
      for (int i = 0; i < 100 && (found = MenuItemPoint(parent.window, "f\xFCnf")) == 0; ++i) Sleep(10);
      if (found != 0) ClickScreen(found);
      for (int i = 0; i < 80 && open(); ++i) Sleep(10);
    }
    for (int i = 0; i < 2 && open(); ++i) {
      INPUT inputs[2] = {};
      inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
      inputs[0].ki.wVk = inputs[1].ki.wVk = VK_ESCAPE;
      inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, inputs, sizeof(INPUT));
      Sleep(100);
    }
  });
  menus->Track(popup, window, 10, 10);
  chooser.join();
  Pump();
  EXPECT_NE(found.load(), 0);
  EXPECT_EQ(g_chosen, 5);
  // The pop-up is gone: the bar is searched again.
  EXPECT_EQ(MenuItemPoint(parent.window, "f\xFCnf"), 0);
  EXPECT_NE(MenuItemPoint(parent.window, "Los"), 0);
}

}  // namespace
}  // namespace talven
