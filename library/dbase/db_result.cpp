// Results of the table layer and the text they add to the language's messages.

#include "library/dbase/db_result.h"

#include "library/dbase/db_file.h"

namespace talven::dbase {

std::string DbResult::Appended() const {
  if (error == kErrDbase) return std::to_string(code) + " " + detail;
  if (error == kErrFileNotFound || detail.empty()) return detail;
  // The other messages do not end in ": ": the detail follows after a blank.
  return " " + detail;
}

DbResult DbResult::Io(const std::string& name, IoStep step, int32_t ioResult) {
  if (step == IoStep::Reset && (ioResult == kIoFileNotFound || ioResult == kIoPathNotFound)) {
    return {kErrFileNotFound, ioResult, name};
  }
  static const char* const kSteps[] = {kDetailReset, kDetailRewrite, kDetailRead, kDetailSeek, kDetailWrite};
  if (ioResult == 0) ioResult = step == IoStep::Read || step == IoStep::Reset ? kIoReadError : kIoWriteError;
  return {kErrDbase, ioResult, name + kSteps[static_cast<int>(step)]};
}

DbResult DbResult::NotDbase(const std::string& name) { return {kErrDbase, kCodeNotDbase, kDetailNotDbase}; }

DbResult DbResult::Record(int64_t number) {
  return {kErrKeyField, 0, "Datensatz " + std::to_string(number) + " nicht in der Tabelle gefunden."};
}

}  // namespace talven::dbase
