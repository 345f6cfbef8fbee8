#include "platform/win32/win32_tasks.h"

namespace platform::win32 {
namespace {

constexpr UINT kTaskDone = WM_APP + 1;
constexpr wchar_t kReceiverClass[] = L"KeymintTaskResults";

}  // namespace

Win32Tasks::Win32Tasks() {
    WNDCLASSW type{};
    type.lpfnWndProc = &Win32Tasks::receive;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = kReceiverClass;
    RegisterClassW(&type);  // fails harmlessly when a second object registers it again
    receiver_ = CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                type.hInstance, nullptr);
    SetWindowLongPtrW(receiver_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.push_back(std::move(task.second));
        }
        wake_receiver();
    }
}

void Win32Tasks::wake_receiver() {
    constexpr auto kRetry = std::chrono::milliseconds(20);
    while (!PostMessageW(receiver_, kTaskDone, 0, 0)) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, kRetry, [this] { return stopping_; })) {
            return;
        }
    }
}

void Win32Tasks::deliver() {
    for (;;) {
        std::function<void()> done;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (finished_.empty()) {
                return;
            }
            done = std::move(finished_.front());
            finished_.pop_front();
        }
        if (done) {
            done();
        }
    }
}

LRESULT CALLBACK Win32Tasks::receive(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* tasks = reinterpret_cast<Win32Tasks*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != kTaskDone || tasks == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    tasks->deliver();
    return 0;
}

}  // namespace platform::win32
