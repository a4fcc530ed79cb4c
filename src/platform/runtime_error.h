// The one error type of Velkora's handlers. A control or platform call that
// fails throws it; a handler either traps nothing (the error is shown with its
// number and description and the program ends) or skips the failing step.
#pragma once

#include <cstdint>
#include <exception>

#include "platform/text.h"

namespace velkora {

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, Text description)
        : number_(number), description_(std::move(description)) {}
    std::int32_t Number() const { return number_; }
    const Text& Description() const { return description_; }
    const char* what() const noexcept override { return "Velkora run-time error"; }

private:
    std::int32_t number_;
    Text description_;
};

// The numbers and texts of the run-time errors the controls raise.
namespace errors {
inline constexpr std::int32_t kInvalidCall = 5;        // removing at a bad position
inline constexpr std::int32_t kOverflow = 6;           // a number too large for 32 bits
inline constexpr std::int32_t kTypeMismatch = 13;      // a value that is no number
inline constexpr std::int32_t kInvalidValue = 380;     // selecting a position that isn't there
inline constexpr std::int32_t kOutOfMemory = 7;         // also raised by a full list
inline constexpr std::int32_t kCannotPerform = 17;     // a window, control or timer the system refused
inline constexpr std::int32_t kInternalError = 51;     // an error of no known kind

[[noreturn]] inline void Raise(std::int32_t number) {
    switch (number) {
        case kInvalidCall: throw RuntimeError(number, u"Geçersiz yordam çağrısı veya bağımsız değişken");
        case kOverflow: throw RuntimeError(number, u"Taşma");
        case kTypeMismatch: throw RuntimeError(number, u"Tür uyuşmazlığı");
        case kInvalidValue: throw RuntimeError(number, u"Geçersiz özellik değeri");
        case kOutOfMemory: throw RuntimeError(number, u"Yetersiz bellek");
        case kCannotPerform: throw RuntimeError(number, u"İstenen işlem gerçekleştirilemiyor");
        case kInternalError: throw RuntimeError(number, u"İç hata");
        default: throw RuntimeError(number, u"Uygulama veya nesne tanımlı hata");
    }
}

// Inside a catch block: the exception being handled as a run-time error. An
// exhausted allocation is "out of memory"; anything else unknown is an
// internal error.
RuntimeError CurrentError();
}  // namespace errors

}  // namespace velkora
