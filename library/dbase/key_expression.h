#pragma once
// Index key expressions: field names and quoted literals joined by "+". A single date or
// numeric field makes a numeric key (an 8-byte double), anything else a character key
// whose length is the sum of the parts.

#include <cstdint>
#include <string>
#include <vector>

#include "library/dbase/db_result.h"
#include "library/dbase/dbf_format.h"

namespace talven::dbase {

struct KeyExpression {
  struct Part {
    bool literal = false;
    std::string text;     // the literal
    int32_t field = -1;   // index into the fields
  };
  std::vector<Part> parts;
  uint32_t length = 0;
  bool numeric = false;
  std::string source;
};

// 611 for an unknown field, an unquoted or empty part, an expression over 99 characters
// or a key over 100 bytes.
DbResult ParseKeyExpression(const std::string& text, const std::vector<DbfField>& fields, KeyExpression* key);
// The key of a record (`record` holds the deletion flag and the fields).
void BuildKey(const KeyExpression& key, const std::vector<DbfField>& fields, const uint8_t* record, uint8_t* out);
// A number as a table or a program writes it: blanks, sign, digits, one point. Blank
// text is no number.
bool ParseNumber(const std::string& text, double* value);
std::string UpperCase(std::string text);
// Adds the extension (".DBF", ".NDX") when the name's last part has none.
std::string WithExtension(const std::string& name, const std::string& extension);
// The name with its extension replaced, in the case of the old extension.
std::string SiblingName(const std::string& name, const std::string& extension);

}  // namespace talven::dbase
