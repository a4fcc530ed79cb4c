#include "sources/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace velkora {

namespace {

// The exact decimal digits of a finite, positive double and the decimal
// exponent of the first one. A double is m * 2^e with m < 2^53, so for e < 0
// it equals m * 5^-e / 10^-e: the digits of one big integer. Base 10^9 limbs,
// least significant first.
std::string ExactDigits(double value, int& exponent10) {
    int e2 = 0;
    const double fraction = std::frexp(value, &e2);  // value = fraction * 2^e2, 0.5 <= fraction < 1
    std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    e2 -= 53;
    while (m % 2 == 0 && e2 < 0) {
        m /= 2;
        ++e2;
    }
    std::vector<std::uint32_t> limbs{static_cast<std::uint32_t>(m % 1000000000), static_cast<std::uint32_t>(m / 1000000000 % 1000000000),
                                     static_cast<std::uint32_t>(m / 1000000000000000000ull)};
    auto multiply = [&limbs](std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t v = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(v % 1000000000);
            carry = v / 1000000000;
        }
        while (carry) {
            limbs.push_back(static_cast<std::uint32_t>(carry % 1000000000));
            carry /= 1000000000;
        }
    };
    for (int i = 0; i < -e2; ++i) multiply(5);
    for (int i = 0; i < e2; ++i) multiply(2);
    while (limbs.size() > 1 && limbs.back() == 0) limbs.pop_back();

    std::string digits = std::to_string(limbs.back());
    for (std::size_t i = limbs.size() - 1; i-- > 0;) {
        const std::string part = std::to_string(limbs[i]);
        digits.append(9 - part.size(), '0');
        digits += part;
    }
    // The integer holds value * 10^max(0, -e2).
    exponent10 = static_cast<int>(digits.size()) - 1 - (e2 < 0 ? -e2 : 0);
    return digits;
}

}  // namespace

Text DoubleText(double value, const Text& sep) {
    if (value == 0 || !std::isfinite(value)) return u"0";

    int exponent = 0;
    std::string digits = ExactDigits(std::fabs(value), exponent);
    digits.resize(std::max<std::size_t>(digits.size(), 16), '0');

    // Keep 15 digits; the 16th decides: 5 or more rounds the magnitude up, so
    // that an exact tie goes away from zero.
    const bool roundUp = digits[15] >= '5';
    digits.resize(15);
    if (roundUp) {
        int i = 14;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    Text out;
    if (value < 0) out.push_back(u'-');
    auto append = [&out](std::string_view s) {
        for (char c : s) out.push_back(static_cast<char16_t>(c));
    };
    if (exponent >= 15 || exponent < -5) {
        append(digits.substr(0, 1));
        if (digits.size() > 1) {
            out += sep;
            append(std::string_view(digits).substr(1));
        }
        out += exponent < 0 ? u"E-" : u"E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) out.push_back(u'0');
        out += WholeNumberText(magnitude);
    } else if (exponent < 0) {
        out.push_back(u'0');
        out += sep;
        out.append(static_cast<std::size_t>(-exponent - 1), u'0');
        append(digits);
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            append(digits);
            out.append(whole - digits.size(), u'0');
        } else {
            append(std::string_view(digits).substr(0, whole));
            out += sep;
            append(std::string_view(digits).substr(whole));
        }
    }
    return out;
}

double ParseNumber(const Text& text, const Text& sep) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;

    std::string ascii;
    bool digitSeen = false, separatorSeen = false;
    for (std::size_t i = begin; i < end; ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            ascii.push_back(static_cast<char>(c));
            digitSeen = true;
        } else if ((c == u'-' || c == u'+') && i == begin) {
            if (c == u'-') ascii.push_back('-');
        } else if (!separatorSeen && !sep.empty() && text.compare(i, sep.size(), sep) == 0) {
            ascii.push_back('.');
            separatorSeen = true;
            i += sep.size() - 1;
        } else {
            errors::Raise(errors::kTypeMismatch);
        }
    }
    if (!digitSeen) errors::Raise(errors::kTypeMismatch);
    return std::strtod(ascii.c_str(), nullptr);  // ascii holds only digits, '-' and '.'

}

}  // namespace velkora
