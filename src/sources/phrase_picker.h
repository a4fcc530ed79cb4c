// The random choice of the next phrase.
#pragma once

#include <cstdint>
#include <random>

namespace velkora {

// One generator, used for nothing else and never seeded from the clock: the
// Mersenne Twister mt19937 in its standard default state (seed 5489), so every
// run chooses the same sequence of positions for the same list. A draw takes
// two outputs and forms a 53-bit fraction, r = (a * 2^26 + b) / 2^53, which
// lies in [0, 1) and can never be exactly 1.
class PhrasePicker {
public:
    double Draw() {
        const std::uint32_t a = engine_() >> 5;  // 27 bits
        const std::uint32_t b = engine_() >> 6;  // 26 bits
        return (a * 67108864.0 + b) * (1.0 / 9007199254740992.0);
    }

    // floor(r * n) for a fresh draw r; 0 for an empty list.
    int Position(int count) {
        const double r = Draw();
        if (count <= 0) return 0;
        int p = static_cast<int>(r * count);
        return p < count ? p : count - 1;
    }

private:
    std::mt19937 engine_;
};

}  // namespace velkora
