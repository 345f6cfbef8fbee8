#pragma once

#include <QObject>
#include <QThreadPool>

#include "platform/tasks.h"

namespace platform::qt {

// One worker thread; results come back through the window thread's event loop.
class QtTasks : public Tasks {
  public:
    QtTasks();
    // Waits for the task that is running; queued results are dropped.
    ~QtTasks() override;
    void run(std::function<void()> work, std::function<void()> done) override;

  private:
    QObject receiver_;
    QThreadPool pool_;
};

// The busy pointer over every window of the program, on or off; repeated calls do nothing more.
void show_busy_pointer(bool busy);

}  // namespace platform::qt
