#include "allapps/CaretBlink.h"

#include <windows.h>

namespace {

constexpr UINT kGetCaretTimeout = 0x2022;  // SPI_GETCARETTIMEOUT, missing from older headers
constexpr uint32_t kDefaultCaretTimeoutMs = 5000;

}  // namespace

CaretTiming SystemCaretTiming() {
    CaretTiming timing;
    const UINT blink = GetCaretBlinkTime();
    if (blink != 0) timing.blinkMs = blink;
    DWORD timeout = 0;
    timing.timeoutMs = SystemParametersInfoW(kGetCaretTimeout, 0, &timeout, 0) && timeout != 0
                           ? static_cast<uint32_t>(timeout)
                           : kDefaultCaretTimeoutMs;
    return timing;
}

bool CaretBlink::Restart(uint64_t now) {
    shown_ = true;
    restartedAt_ = now;
    blinking_ = timing_.blinkMs != CaretTiming::kNoBlink;
    return blinking_;
}

bool CaretBlink::Tick(uint64_t now) {
    if (!blinking_) return false;
    if (now - restartedAt_ >= timing_.timeoutMs) {
        shown_ = true;
        blinking_ = false;
        return false;
    }
    shown_ = !shown_;
    return true;
}

void CaretBlink::Stop() {
    shown_ = false;
    blinking_ = false;
}
