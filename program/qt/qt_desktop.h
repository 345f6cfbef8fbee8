#pragma once

#include <memory>

#include "app/frm_main.h"
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/secret_service_key_store.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_tasks.h"
#include "platform/qt/qt_window.h"

namespace program::qt {

// The Qt side of the program: its window and the desktop services around it.
class QtDesktop {
  public:
    // Runs the program's start-up over these services and the given outside ones.
    std::unique_ptr<app::frmMain> start(platform::ProgramInfo& program, platform::FileSystem& files,
                                        platform::RandomSource& random,
                                        platform::InstanceFlag& instance,
                                        platform::Registry& registry,
                                        platform::TextEncoding& encoding);

    platform::qt::QtWindow window;
    platform::qt::QtMessageBoxes messages{&window};
    platform::qt::QtSound sound;
    platform::qt::QtClipboard clipboard;
    platform::qt::QtTray tray;
    platform::qt::QtShell shell;
    platform::qt::QtTasks tasks;
    platform::qt::QtTimer timer;
    platform::posix::OpenSslCrypto crypto;
    platform::posix::SecretServiceKeyStore keys;
};

}  // namespace program::qt
