#include "library/profiles.h"

#include <array>
#include <string_view>

#include "engine/errors.h"
#include "library/families.h"

namespace talven {

namespace {

constexpr std::string_view kStartCaption = "T A L V E N ²";
constexpr std::string_view kLoadCaption = "TALVEN²";
constexpr std::string_view kScriptCaption = "T A L V E N - S C R I P T";

// What the script interpreter does not have: files by number, directories and INI
// writing; serial ports; dBase; SQL data sources; libraries and ports; other programs and
// messages; timers and painting; the bitmaps, fonts and controls of later versions; some
// string and bit functions; three words of control flow. Families it lacks entirely are
// left out of its list instead.
constexpr std::string_view kScriptWithheld[] = {
    // Files, directories and INI writing.
    "APPEND", "ASSIGN", "BLOCKREAD", "BLOCKWRITE", "CHDIR", "CLOSE", "CLOSERW", "EOF", "ERASE",
    "FILEMODE", "FILEPOS", "FILESIZE", "GETBYTE", "MKDIR", "OPENRW", "PUTBYTE", "RENAME", "RESET",
    "REWRITE", "RMDIR", "SEEK", "SETFATTR", "WRITEINI",
    // Serial ports.
    "OPENCOM", "CLOSECOM", "READCOM$", "WRITECOM", "SETCOM", "SETCOMEXT", "COMERROR",
    // dBase.
    "DBOPEN", "DBUSE", "DBGO", "DBCLOSE", "DBGET$", "DBGETFIELD$", "DBPUT", "DBPUTFIELD",
    "DBPUTREC", "DBAPPENDBLANK", "DBDELETE", "DBUNDELETE", "DBPACK", "DBINDEX", "DBFIND",
    "DBSEEK", "DBGETMEMO", "DBPUTMEMO", "DBCREATE", "DBCREATEINDEX", "DBSETMEMOWIDTH",
    // SQL data sources.
    "SQLINIT", "SQLEXEC", "SQLSETDEL", "SQLSETNULL", "SQLDONE",
    // Libraries and ports.
    "USEDLL", "FREEDLL", "INP", "INPB", "OUTP", "OUTPB", "ADDR",
    // Other programs and messages.
    "SHELL", "RUN", "WINEXEC", "WINEXECWAIT", "SHELLEXEC", "SENDKEY", "SENDMESSAGE",
    "POSTMESSAGE", "SENDSTRING", "GETMESSAGE", "EXITWINDOWS", "DDELINK", "DDEEXECUTE",
    "DDETERMINATE",
    // Timers and painting.
    "SETTIMER", "KILLTIMER", "STARTPAINT", "ENDPAINT", "SETAUTOPAINT",
    // Bitmaps, fonts and controls of later versions.
    "CLIPLOADBMP", "COPYBMPTOMEM", "DRAWEXTBMP", "DRAWSIZEDEXTBMP", "MCLS", "MCOPYSIZEDBMP",
    "SAVEBMP", "SAVEBMPTOCLIP", "USEEXTCURSOR", "USEEXTMENU", "CREATEFONT", "SETFONT", "SETSTYLE",
    "GETSTYLE", "DELETEOBJECT", "CREATEEXTDIALOG", "CONTROL", "GETHANDLE", "EXTSTRING$", "HEIGHT",
    "WIDTH", "SCREEN", "SCRN", "TAB", "CLEAR", "COPY",
    // String and bit functions.
    "BIN$", "HEX$", "OCT$", "LEFT$", "RIGHT$", "MKSTR$", "SPACE$", "SETBIT", "TESTBIT", "GETUSAGE",
    // Control flow.
    "BREAK", "CONTINUE", "PROGEND",
};

// The script interpreter's families: no serial ports, DDE, dBase, SQL or libraries.
FamilyList ScriptFamilies() {
  static const std::array<const Family*, kFamilyCount> kFamilies = [] {
    std::array<const Family*, kFamilyCount> families{};
    const FamilyList all = AllFamilies();
    for (size_t id = 0; id < kFamilyCount; ++id) families[id] = all[id];
    for (FamilyId lacking :
         {FamilyId::Serial, FamilyId::Dde, FamilyId::Dbase, FamilyId::Odbc, FamilyId::Dll}) {
      families[FamilyIndex(lacking)] = nullptr;
    }
    return families;
  }();
  return kFamilies;
}

// The script interpreter keeps COPYDBMP, which no other program has.
constexpr std::string_view kFullWithheld[] = {"COPYDBMP"};

}  // namespace

const Profile& InterpreterProfile() {
  static const Profile kProfile{
      .name = "TALVEN",
      .families = AllFamilies(),
      .withheldNames = kFullWithheld,
      .startCaption = kStartCaption,
      .usageText = ErrorText(802),
      .fileFilter = "Talven-Source (*.tvs)|*.TVS|All (*.*)|*.*",
      .defaultExtension = "TVS",
      .appendedExtension = ".TVS",
      .banner = "ZUL-TALVEN² INTERPRETER 6.6-NT",
      .version = "6.6-NT",
      .loadCaption = kLoadCaption,
  };
  return kProfile;
}

const Profile& RuntimeProfile() {
  static const Profile kProfile{
      .name = "TLVRUN32",
      .families = AllFamilies(),
      .withheldNames = kFullWithheld,
      .startCaption = kStartCaption,
      .usageText = ErrorText(803),
      .fileFilter = "Talven-Code (*.tvc)|*.TVC|All (*.*)|*.*",
      .defaultExtension = "TVC",
      .appendedExtension = ".TVC",
      .banner = "ZUL-TALVEN² RUNTIME 6.5-NT",
      .version = "6.5-NT",
      .loadCaption = kLoadCaption,
  };
  return kProfile;
}

const Profile& ScriptProfile() {
  static const Profile kProfile{
      .name = "TALVSCR",
      .families = ScriptFamilies(),
      .withheldNames = kScriptWithheld,
      .lineLimit = 9999,
      .tooManyLines = "Nur 9999 Zeilen sind erlaubt!",
      .startCaption = kScriptCaption,
      .usageText = "Aufruf mit: \r\nTALVSCR [<Dateiname>]",
      .fileFilter = "Talven-Script (*.tvp)|*.TVP",
      .defaultExtension = "TVP",
      .appendedExtension = ".TVP",
      .banner = "ZUL-TALVEN-SCRIPT-INTERPRETER 4.5 - 32",
      .version = "4.5 - 32",
      .loadCaption = kScriptCaption,
      .boxCaption = kScriptCaption,
  };
  return kProfile;
}

}  // namespace talven
