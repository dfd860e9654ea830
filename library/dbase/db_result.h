#pragma once
// Results of the table layer: the language's error number (600..616, 0 for success), the
// layer's own code (an I/O result, or one of the codes below) and a detail text. The
// binding reports them with Warn/Error; the texts of the numbers live in the engine's
// error table, the detail texts here.

#include <cstdint>
#include <string>

namespace talven::dbase {

// Error numbers of the language.
inline constexpr int32_t kErrDbase = 600;            // "dB-Fehler: " code + blank + detail
inline constexpr int32_t kErrFileNotFound = 601;     // "Datei nicht gefunden: " + name
inline constexpr int32_t kErrDuplicateField = 602;
inline constexpr int32_t kErrFieldLength = 603;
inline constexpr int32_t kErrDecimals = 604;
inline constexpr int32_t kErrIndexDamaged = 605;
inline constexpr int32_t kErrFieldNotFound = 606;
inline constexpr int32_t kErrKeyField = 608;         // also: record number out of range
inline constexpr int32_t kErrFormula = 611;
inline constexpr int32_t kErrReadField = 612;
inline constexpr int32_t kErrReadFieldNumber = 613;
inline constexpr int32_t kErrWriteField = 614;
inline constexpr int32_t kErrWriteFieldNumber = 615;

// The layer's own codes, shown after "dB-Fehler: " when no I/O result applies.
inline constexpr int32_t kCodeNotDbase = 1;
inline constexpr int32_t kCodeMemo = 2;
inline constexpr int32_t kCodeLimit = 3;

// Detail texts.
inline constexpr const char* kDetailNotDbase = "Keine dBase III-Datei";
inline constexpr const char* kDetailReset = " (Reset)";
inline constexpr const char* kDetailRewrite = " (Rewrite)";
inline constexpr const char* kDetailRead = " (Read)";
inline constexpr const char* kDetailSeek = " (Seek)";
inline constexpr const char* kDetailWrite = " (Write)";
inline constexpr const char* kDetailNdxGetPut = "Ndx_Get/Put";
inline constexpr const char* kDetailNdxGet = "Ndx_Get";
inline constexpr const char* kDetailNdxPut = "Ndx_Put";
inline constexpr const char* kDetailNdxPutNew = "Ndx_Put/New";
inline constexpr const char* kDetailNoNumber = "Kein numerischer Wert in NumberGetN - ";
inline constexpr const char* kDetailFieldNumber = "Feldnummer zu groß";

enum class IoStep { Reset, Rewrite, Read, Seek, Write };

struct DbResult {
  int32_t error = 0;
  int32_t code = 0;
  std::string detail;

  bool Ok() const { return error == 0; }
  explicit operator bool() const { return error == 0; }
  // The text the binding appends to the error table's message.
  std::string Appended() const;

  static DbResult Success() { return {}; }
  static DbResult Of(int32_t error, std::string detail = {}) { return {error, 0, std::move(detail)}; }
  // An I/O failure on `name`; opening a missing file is 601.
  static DbResult Io(const std::string& name, IoStep step, int32_t ioResult);
  static DbResult NotDbase(const std::string& name);
  static DbResult Memo(const std::string& detail) { return {kErrDbase, kCodeMemo, detail}; }
  static DbResult Record(int64_t number);
  static DbResult Index(const std::string& detail) { return {kErrIndexDamaged, 0, detail}; }
};

}  // namespace talven::dbase
