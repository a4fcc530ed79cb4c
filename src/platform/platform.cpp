#include "platform/platform.h"

#include <new>

namespace velkora {

RuntimeError errors::CurrentError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError(kOutOfMemory, u"Yetersiz bellek");
    } catch (...) {
        return RuntimeError(kInternalError, u"İç hata");
    }
}

void Platform::ShowError(const RuntimeError& error) {
    ShowMessage(u"Çalışma zamanı hatası '" + WholeNumberText(error.Number()) + u"':\r\n\r\n" + error.Description(),
                kAppTitle);
}

void Platform::EndWithError(const RuntimeError& error) {
    if (ending_) return;
    ending_ = true;
    // While the message is up, a new start runs as the copy instead of
    // handing over to this one.
    LetAnotherCopyRun();
    ShowError(error);
    // The exit code is the error's number; an error numbered 0 must still not read as success.
    EndProgram(error.Number() != 0 ? error.Number() : 1);
}

}  // namespace velkora
