#pragma once
// What printing needs from the platform: a job on the default printer whose pages become
// the output window's drawing targets, and the one-page hard copies of windows. win32/
// implements it with a printer device context; the default records.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/family.h"

namespace talven {

// The page: 6400 x 9600 logical units (a program's 640 x 960 times 10) on 2200 x 3300 dots
// at 300 dots per inch, 7 1/3 x 11 inches.
inline constexpr int32_t kPageLogicalWidth = 6400;
inline constexpr int32_t kPageLogicalHeight = 9600;
inline constexpr int32_t kPageDotsWidth = 2200;
inline constexpr int32_t kPageDotsHeight = 3300;
inline constexpr int32_t kPageDotsPerInch = 300;

// The page's extent in device pixels at a resolution: dots x dpi / 300, rounded as MulDiv
// rounds (a printer below 300 dpi does not shrink the page to nothing).
int32_t PageExtent(int32_t dots, int32_t dotsPerInch);

enum class HardCopyResult { Printed, NoPrinter, NoWindow, CopyFailed };

// The part of the main window a screen copy prints, in its pixels.
struct CopyArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;   // inclusive
  int32_t bottom = 0;  // inclusive
};

// SCREENCOPY's area: corners put in order, x2 at most x1 + width - 1, y2 at most
// y1 + height - 1 and y2 - y1 at most 1.5 x width - 1 (the page's 2:3 proportion).
CopyArea ClampScreenCopy(CopyArea area, int32_t windowWidth, int32_t windowHeight);

class PrintingPlatform : public FamilyPlatform {
 public:
  // Opens a job named `document` on the default printer, starts its first page with the
  // page mapping and makes it the drawing target of the window; false when no printer
  // context or job could be made.
  virtual bool StartJob(std::string_view document) = 0;
  // Ends the page and starts the next with the mapping and USEFONT's font again.
  virtual void NextPage() = 0;
  // Ends the page and the job and gives the window its targets back.
  virtual void EndJob() = 0;
  // Drops the open job from the spooler (a run that ended by an error or by closing).
  virtual void AbortJob() = 0;
  // One-page jobs: an area of the main window ("ScreenCopy"; the logical page is the
  // window's width by 1.5 times it), or a window as shown on the screen ("WindowCopy").
  virtual HardCopyResult ScreenCopy(const CopyArea& area, int32_t windowWidth) = 0;
  virtual HardCopyResult WindowCopy(intptr_t window) = 0;
};

// The default: a printer that takes every job and remembers what it was asked.
class RecordingPrinter : public PrintingPlatform {
 public:
  bool StartJob(std::string_view document) override;
  void NextPage() override { log.push_back("page"); }
  void EndJob() override { log.push_back("end"); }
  void AbortJob() override { log.push_back("abort"); }
  HardCopyResult ScreenCopy(const CopyArea& area, int32_t windowWidth) override;
  HardCopyResult WindowCopy(intptr_t window) override;

  std::vector<std::string> log;
  bool available = true;
};

}  // namespace talven
