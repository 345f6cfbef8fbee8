#include "platform/win32/win32_timer.h"

#include <map>

namespace platform::win32 {
namespace {

// Thread timers carry no pointer of ours, only their id.
std::map<UINT_PTR, Win32Timer*>& running() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

}  // namespace

void Win32Timer::start(int milliseconds, std::function<void()> callback) {
    cancel();
    callback_ = std::move(callback);
    id_ = SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), &Win32Timer::elapsed);
    if (id_ != 0) {
        running()[id_] = this;
    }
}

void Win32Timer::cancel() {
    if (id_ != 0) {
        KillTimer(nullptr, id_);
        running().erase(id_);
        id_ = 0;
    }
    callback_ = nullptr;
}

void CALLBACK Win32Timer::elapsed(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = running().find(id);
    if (found == running().end()) {
        return;
    }
    Win32Timer* timer = found->second;
    auto callback = std::move(timer->callback_);
    timer->cancel();
    if (callback) {
        callback();
    }
}

}  // namespace platform::win32
