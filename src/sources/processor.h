#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace velkora {

inline constexpr char16_t kProcessorSpeedPath[] =
    u"HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\~MHz";

// The clock speed of processor 0 in MHz, read through the automation object
// "WScript.Shell" and its method "regread". Raises a run-time error when the
// object or the value cannot be had or the value is no 32-bit number.
std::int32_t ProcessorMHz(Platform& platform);

// An automation value as a signed 32-bit integer: whole numbers in range as
// they are, fractions rounded half to even, texts by the locale's number
// rules; overflow and non-numbers raise errors.
std::int32_t ToLong(const AutomationValue& value, const Text& decimalSeparator);

}  // namespace velkora
