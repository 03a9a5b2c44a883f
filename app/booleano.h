#pragma once
// Flags shared between handlers keep the classic convention: true is -1 and
// false is 0, and a flag is tested by comparing it with -1.

#include <cstdint>

inline constexpr std::int16_t kVerdadero = -1;
inline constexpr std::int16_t kFalso = 0;
