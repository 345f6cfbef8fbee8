#pragma once

#include <functional>
#include <utility>

namespace app {

// One event of a control or of the window. frmMain binds each handler once; backends and tests
// raise the event as the user's action would.
template <class... Args>
class Event {
  public:
    using Handler = std::function<void(Args...)>;

    void bind(Handler handler) { handler_ = std::move(handler); }
    bool bound() const { return static_cast<bool>(handler_); }
    void raise(Args... args) const {
        if (handler_) {
            handler_(std::forward<Args>(args)...);
        }
    }

  private:
    Handler handler_;
};

}  // namespace app
