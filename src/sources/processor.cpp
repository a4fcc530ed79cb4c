#include "sources/processor.h"

#include <cmath>

#include "platform/runtime_error.h"
#include "sources/number_text.h"

namespace velkora {

namespace {
std::int32_t Checked(double v) {
    const double rounded = std::nearbyint(v);  // the default mode rounds half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) errors::Raise(errors::kOverflow);
    return static_cast<std::int32_t>(rounded);
}
}  // namespace

std::int32_t ToLong(const AutomationValue& value, const Text& separator) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (*i < INT32_MIN || *i > INT32_MAX) errors::Raise(errors::kOverflow);
        return static_cast<std::int32_t>(*i);
    }
    if (const auto* d = std::get_if<double>(&value)) return Checked(*d);
    if (const auto* b = std::get_if<bool>(&value)) return *b ? -1 : 0;
    if (const auto* t = std::get_if<Text>(&value)) return Checked(ParseNumber(*t, separator));
    return 0;  // an empty value converts to 0
}

std::int32_t ProcessorMHz(Platform& platform) {
    const AutomationValue v = platform.InvokeByName(u"WScript.Shell", u"regread", kProcessorSpeedPath);
    return ToLong(v, platform.DecimalSeparator());
}

}  // namespace velkora
