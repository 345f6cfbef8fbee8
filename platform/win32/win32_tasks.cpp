#include "platform/win32/win32_tasks.h"

namespace platform::win32 {
namespace {

constexpr UINT kTaskDone = WM_APP + 1;

}  // namespace

Win32Tasks::Win32Tasks() {
    static const ATOM registered = [] {
        WNDCLASSW receiver_class{};
        receiver_class.lpfnWndProc = procedure;
        receiver_class.hInstance = GetModuleHandleW(nullptr);
        receiver_class.lpszClassName = L"KeymintTasks";
        return RegisterClassW(&receiver_class);
    }();
    (void)registered;
    receiver_ = CreateWindowExW(0, L"KeymintTasks", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(receiver_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    worker_ = std::thread([this] { serve(); });
}

Win32Tasks::~Win32Tasks() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    worker_.join();
    // Completions still queued are dropped with the receiver.
    DestroyWindow(receiver_);
}

void Win32Tasks::run(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back({std::move(work), std::move(done)});
        ++unfinished_;
    }
    wake_.notify_one();
}

bool Win32Tasks::idle() {
    std::lock_guard<std::mutex> lock(mutex_);
    return unfinished_ == 0;
}

void Win32Tasks::serve() {
    for (;;) {
        Task task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) {
                return;
            }
            task = std::move(waiting_.front());
            waiting_.pop_front();
        }
        task.work();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.push_back(std::move(task.done));
        }
        PostMessageW(receiver_, kTaskDone, 0, 0);
    }
}

void Win32Tasks::finish() {
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
    std::lock_guard<std::mutex> lock(mutex_);
    --unfinished_;
}

LRESULT CALLBACK Win32Tasks::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Win32Tasks*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kTaskDone && self != nullptr) {
        self->finish();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace platform::win32
