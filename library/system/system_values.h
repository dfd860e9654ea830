#pragma once
// The texts the system variables and functions build from the platform's raw values:
// version texts, dates and times. Pure: no platform call of their own.

#include <cstdint>
#include <string>
#include <string_view>

#include "library/system/system_platform.h"

namespace talven {

// The short-date pattern when the system's settings name none.
inline constexpr std::string_view kDefaultShortDate = "dd.MM.yyyy";
// The longest directory text $WINPATH and $SYSPATH deliver.
inline constexpr size_t kMaxSystemPath = 150;

// $DOSVER: the high word of the version value, its high byte "." its low byte.
std::string DosVersionText(uint32_t version);
// $WINVER: the low byte of the version value "." the next byte.
std::string WinVersionText(uint32_t version);
// $DRIVE: the first two characters of the current directory.
std::string DriveText(std::string_view currentDirectory);

// @DATE$(mode) with the system's short-date pattern.
std::string DateText(const LocalTime& time, int32_t mode, std::string_view shortDatePattern);
// @TIME$(mode).
std::string TimeText(const LocalTime& time, int32_t mode);

}  // namespace talven
