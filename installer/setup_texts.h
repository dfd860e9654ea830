#pragma once
// Numbers of the language library's strings and templates, and the few texts that stand in
// the program itself. A library string is looked up by number; a missing one reads empty.

#include <cstdint>
#include <string>
#include <vector>

namespace talven::installer {

enum TextId : int32_t {
  kTextFileProgress = 317,     // progress line of a file, "%s"
  kTextDiskSection = 329,      // section of the insert-disk labels
  kTextFilesSection = 332,     // first main file section
  kTextGroupsSection = 354,    // second group section
  kTextDiskFullLow = 359,      // added to code 29 when the drive is nearly full
  kTextNoScript = 372,
  kTextBadScript = 393,
  kTextGroupsProgress = 431,
  kTextAbortQuestion = 432,
  kTextSpaceKey = 434,
  kTextNoSpaceTarget = 435,
  kTextScriptName = 436,
  kTextDirKey = 437,
  kTextClosing = 438,
  kTextSubSectionQuestion = 440,
  kTextDefaultTitle = 441,
  kTextDefaultHeadline = 442,
  kTextDefaultSubline = 443,
  kTextSysFilesSection = 444,
  kTextHeadlineKey = 445,
  kTextSublineKey = 446,
  kTextModulesSection = 447,
  kTextAskNotOlder = 448,
  kTextReplaceGroup = 449,
  kTextPictureKey = 450,
  kTextModulePictureKey = 451,
  kTextTitleKey = 452,
  kTextWinSpaceKey = 455,
  kTextNoSpaceWindows = 456,
  kTextFormSection = 457,
  kTextFormEmpty = 458,
  kTextConflictTitle = 460,
  kTextAskOlder = 461,
  kTextDirExists = 462,
  kTextNoUpdate = 463,
  kTextDefDirKey = 464,
  kTextNoProgman = 465,
  kTextRestart = 466,
  kTextSkipped = 467,
  kTextConflictHead = 600,
  kTextConflictTail = 601,
  kTextConflictMismatch = 602,
  kTextConflictSourceOld = 603,
  kTextConflictLanguage = 604,
  kTextConflictCodePage = 605,
  kTextConflictType = 606,
  kTextConflictUnreadable = 607,
  kTextErrorBase = 20000,
  kTextErrorOther = 20032,
};

// Dialog templates of the language library.
enum TemplateId : int32_t {
  kTemplateInsertDisk = 16,
  kTemplateTarget = 11,
  kTemplateError = 19,
  kTemplateForm = 26,
  kTemplateProgress = 30,
  kTemplateComponents = 24324,
};

inline constexpr char kTextNoLibrary[] = "Can't load MED32ENG.DLL or any other proper Language Driver Library for MEDRA";
inline constexpr char kTitleNoLibrary[] = "Handling Error";
inline constexpr char kTextNotInitialized[] =
    "MEDRA32.EXE could not be propperly initialized. Please close some other programs and try again.";
inline constexpr char kTitleSetup[] = "Setup...";
inline constexpr char kTextOverwriteMember[] = "Diese Datei existiert bereits. Soll sie ueberschrieben werden";

class SetupTexts {
 public:
  virtual std::string Text(int32_t id) = 0;  // empty when the library has none

 protected:
  ~SetupTexts() = default;
};

// One argument of FormatText: a text or a number.
struct FormatArgument {
  FormatArgument(const std::string& text) : text(text), isText(true) {}
  FormatArgument(const char* text) : text(text), isText(true) {}
  FormatArgument(int64_t number) : number(number) {}
  FormatArgument(int32_t number) : number(number) {}
  std::string text;
  int64_t number = 0;
  bool isText = false;
};

// printf-style formatting of library strings that cannot go wrong: %s, %d, %u, %ld, %lu,
// with flags, width and precision, and %%. A conversion without an argument, or of the
// wrong kind, is written as its argument's other form or left empty.
std::string FormatText(const std::string& format, const std::vector<FormatArgument>& arguments);

}  // namespace talven::installer
