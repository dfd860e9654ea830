#pragma once
// The engine's fixed limits. Each one sits beside the error that guards it.

#include <cstddef>
#include <cstdint>

namespace talven {

inline constexpr size_t kMaxStringLength = 255;   // every engine string is cut here
inline constexpr size_t kMaxLineLength = 254;     // 902 "Zeile zu lang"
inline constexpr int32_t kMaxProgramLines = 65535;  // 901 "Zu viele Programm-Zeilen!"
inline constexpr size_t kMaxNameLength = 32;      // 123 "Variablenname zu lang: "
inline constexpr int32_t kMaxVariablesPerKind = 499;  // 217 .. 220, 239
inline constexpr int32_t kMaxArrays = 499;            // 253
inline constexpr int32_t kMaxPoolElements = 65535;    // 232
inline constexpr int32_t kMaxDimListBound = 65535;    // 231
inline constexpr int32_t kMaxWhileDepth = 10;         // 108
inline constexpr int32_t kMaxGosubDepthInterpreter = 50;  // 114
inline constexpr int32_t kMaxGosubDepthRuntime = 150;     // 114
inline constexpr int32_t kMaxProcDepth = 150;             // 114
inline constexpr int32_t kProcedureFrames = 151;
inline constexpr int32_t kParameterSlots = 16;            // slot 0 carries a result
inline constexpr int32_t kMaxProcArguments = 15;
inline constexpr int32_t kOperatorStackSize = 50;
inline constexpr int32_t kFileSlots = 15;                 // 210
inline constexpr int32_t kTableSlots = 15;                // 609

}  // namespace talven
