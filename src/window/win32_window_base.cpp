#include "window/win32_window_base.h"

namespace velkora {

void ErrorBarrier::Report() noexcept {
    try {
        const RuntimeError error = errors::CurrentError();
        if (platform_) {
            platform_->EndWithError(error);
            return;
        }
        ExitProcess(static_cast<UINT>(error.Number()));
    } catch (...) {
        // Not even the report could be made (memory is exhausted): end all the same.
        ExitProcess(errors::kOutOfMemory);
    }
}

}  // namespace velkora
