#include "platform/win32/win32_tasks.h"

#include <memory>

namespace platform::win32 {
namespace {

constexpr UINT kTaskDone = WM_APP + 1;
constexpr wchar_t kReceiverClass[] = L"KeymintTaskResults";

using Done = std::function<void()>;

}  // namespace

Win32Tasks::Win32Tasks() {
    WNDCLASSW type{};
    type.lpfnWndProc = &Win32Tasks::receive;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = kReceiverClass;
    RegisterClassW(&type);  // fails harmlessly when a second object registers it again
    receiver_ = CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                type.hInstance, nullptr);
    worker_ = std::thread([this] { work_through_queue(); });
}

Win32Tasks::~Win32Tasks() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    worker_.join();
    drop_undelivered();
    if (receiver_ != nullptr) {
        DestroyWindow(receiver_);
    }
}

void Win32Tasks::run(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.emplace_back(std::move(work), std::move(done));
    }
    wake_.notify_one();
}

void Win32Tasks::work_through_queue() {
    for (;;) {
        Task task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task.first();
        auto done = std::make_unique<Done>(std::move(task.second));
        if (PostMessageW(receiver_, kTaskDone, 0, reinterpret_cast<LPARAM>(done.get()))) {
            done.release();  // the receiver owns it now
        }
    }
}

void Win32Tasks::drop_undelivered() {
    MSG message{};
    while (PeekMessageW(&message, receiver_, kTaskDone, kTaskDone, PM_REMOVE)) {
        delete reinterpret_cast<Done*>(message.lParam);
    }
}

LRESULT CALLBACK Win32Tasks::receive(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != kTaskDone) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    std::unique_ptr<Done> done(reinterpret_cast<Done*>(lparam));
    if (*done) {
        (*done)();
    }
    return 0;
}

}  // namespace platform::win32
