// The Win32 system platform on the real system (the Windows build of the unit tests,
// run under Wine): programs that exist start and are waited for, missing ones fail,
// multimedia errors come with their text. EXITWINDOWS and WINHELP are never tried here.

#include "library/system/win32/win32_system.h"

#include <gtest/gtest.h>

#include "library/system/system_values.h"

namespace talven {
namespace {

TEST(Win32System, StartsAndWaitsForProgramsThatExist) {
  Win32System system;
  EXPECT_TRUE(system.ExecuteAndWait("cmd /c exit", 0));
  EXPECT_FALSE(system.ExecuteAndWait("talven_gibtsnicht.exe", 0));
  // WinExec's codes below 32 are failures.
  EXPECT_LT(system.Execute("talven_gibtsnicht.exe", 1), 32u);
  EXPECT_LE(system.ShellOpen("talven_gibtsnicht.txt", "", 1), 32);
}

TEST(Win32System, MultimediaErrorsComeWithTheirText) {
  Win32System system;
  const MciAnswer failed = system.SendMci("open talven_gibtsnicht");
  EXPECT_NE(failed.code, 0u);
  EXPECT_FALSE(failed.text.empty());
  const MciAnswer answered = system.SendMci("sysinfo all quantity");
  EXPECT_EQ(answered.code, 0u);
  EXPECT_FALSE(answered.text.empty());
}

TEST(Win32System, EnvironmentDirectoriesAndClock) {
  Win32System system;
  EXPECT_FALSE(system.Environment("WINDIR").value_or("").empty());
  EXPECT_FALSE(system.Environment("TALVEN_GIBTSNICHT").has_value());
  const std::string windows = system.WindowsDirectory();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(system.SystemDirectory().rfind(windows, 0), 0u);
  EXPECT_EQ(DriveText(system.CurrentDirectory()).size(), 2u);
  EXPECT_EQ(DriveText(system.CurrentDirectory())[1], ':');
  const LocalTime now = system.Now();
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.weekday, 0);
  EXPECT_LE(now.weekday, 6);
  EXPECT_GE(system.VersionValue() & 0xFF, 4u);
  EXPECT_NE(system.ModuleHandle(), 0);
  EXPECT_NE(system.DesktopWindow(), 0);
  EXPECT_GT(system.BitsPerPixel(), 0);
  EXPECT_EQ(system.ReadPort(0x378, PortWidth::Byte), 0u);
}

}  // namespace
}  // namespace talven
