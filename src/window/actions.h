#pragma once

#include "platform/platform.h"
#include "window/controls.h"

namespace velkora {

// Module1: starts the system's interactive move of the window, as a press on
// its caption would.
void BeginWindowDrag(Platform& platform, const FormWindow& window);

}  // namespace velkora
