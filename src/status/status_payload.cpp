#include "status/status_payload.h"

#include <cstdlib>

namespace velkora {

Text BuildStatusPayload(const Text& Field0, const Text& Field2, const Text& Field1,
                        const Text& Category, const Text& Field3, const Text& Format,
                        std::int16_t Show) {
    const Text showDigit = WholeNumberText(std::abs(static_cast<int>(Show)));
    const Text* pieces[] = {&Category, &showDigit, &Format, &Field0, &Field1, &Field2, &Field3};

    std::size_t length = 8 * 2 + 1;
    for (const Text* piece : pieces) length += piece->size();

    Text payload;
    payload.reserve(length);
    payload += kStatusSeparator;
    for (const Text* piece : pieces) {
        AppendWholeCharacters(payload, *piece);
        payload += kStatusSeparator;
    }
    payload.push_back(u'\0');  // a character of the payload, counted in cbData
    return payload;
}

}  // namespace velkora
