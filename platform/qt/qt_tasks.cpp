#include "platform/qt/qt_tasks.h"

#include <QApplication>
#include <QPointer>

namespace platform::qt {

QtTasks::QtTasks() {
    pool_.setMaxThreadCount(1);
}

QtTasks::~QtTasks() {
    pool_.clear();
    pool_.waitForDone();
}

void QtTasks::run(std::function<void()> work, std::function<void()> done) {
    QPointer<QObject> receiver(&receiver_);
    pool_.start([work = std::move(work), done = std::move(done), receiver]() mutable {
        work();
        // Dropped when the receiver is gone by the time the event loop gets to it.
        QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
    });
}

void show_busy_pointer(bool busy) {
    static bool shown = false;
    if (busy == shown) {
        return;
    }
    shown = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace platform::qt
