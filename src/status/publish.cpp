#include "status/publish.h"

#include <memory>

#include "platform/courier.h"
#include "status/status_payload.h"

namespace velkora {

void PublishStatus(Platform& platform, const Text& Field0, const Text& Field2, const Text& Field1,
                   const Text& Category, const Text& Field3, const Text& Format, std::int16_t Show) {
    platform.Delivery().Publish(std::make_shared<const Courier::Parcel>(
        Courier::Parcel{kStatusCopyDataId, BuildStatusPayload(Field0, Field2, Field1, Category, Field3, Format, Show)}));
}

}  // namespace velkora
