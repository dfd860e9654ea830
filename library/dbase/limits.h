#pragma once
// Fixed limits of the table layer, each next to the error it raises.

#include <cstdint>

namespace talven::dbase {

inline constexpr int32_t kTableSlots = 15;          // 609 outside 1..15
inline constexpr int32_t kMaxFields = 128;          // 600 "Keine dBase III-Datei" / DBCREATE 603
inline constexpr int32_t kMaxFieldLength = 255;     // DBCREATE 603
inline constexpr int32_t kMaxRecordLength = 65535;  // DBCREATE 603
inline constexpr int32_t kFieldNameLength = 10;
inline constexpr int32_t kMaxIndexes = 16;          // further names of DBINDEX are ignored
inline constexpr int32_t kMaxKeyLength = 100;       // 611
inline constexpr int32_t kMaxKeyExpression = 99;    // 611
inline constexpr int32_t kPageSize = 512;
inline constexpr int32_t kMemoBlock = 512;
inline constexpr int32_t kCachedPages = 512;      // per index: 256 KB at the most
inline constexpr int32_t kMaxTreeDepth = 24;        // deeper is a cycle: 605
inline constexpr int32_t kMaxMemoLines = 32768;
inline constexpr int32_t kMaxMemoWidth = 255;
inline constexpr int32_t kDefaultMemoWidth = 80;
inline constexpr uint8_t kVersionPlain = 0x03;
inline constexpr uint8_t kVersionMemo = 0x83;
inline constexpr uint8_t kFieldEnd = 0x0D;
inline constexpr uint8_t kFileEnd = 0x1A;

}  // namespace talven::dbase
