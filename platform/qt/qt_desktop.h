#pragma once

#include <memory>

#include "app/frm_main.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_window.h"

namespace platform::qt {

// The Qt side of the program: its window and the desktop services around it.
class QtDesktop {
  public:
    // Runs the program's start-up over these services and the given outside ones.
    std::unique_ptr<app::frmMain> start(ProgramInfo& program, FileSystem& files,
                                        RandomSource& random, InstanceFlag& instance,
                                        Registry& registry);

    QtWindow window;
    QtMessageBoxes messages{&window};
    QtSound sound;
    QtClipboard clipboard;
    QtTray tray;
    QtShell shell;
};

}  // namespace platform::qt
