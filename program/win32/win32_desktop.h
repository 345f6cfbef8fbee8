#pragma once

#include <memory>

#include "app/frm_main.h"
#include "platform/win32/cng_crypto.h"
#include "platform/win32/dpapi_key_store.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_messages.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_tasks.h"
#include "platform/win32/win32_text_encoding.h"
#include "platform/win32/win32_timer.h"
#include "platform/win32/win32_tray.h"
#include "platform/win32/win32_window.h"

namespace program::win32 {

// The Win32 side of the program: its window and the desktop services around it.
class Win32Desktop {
  public:
    // Runs the program's start-up over these services and the given outside ones. Message
    // boxes go to `messages` when given.
    std::unique_ptr<app::frmMain> start(platform::ProgramInfo& program, platform::FileSystem& files,
                                        platform::RandomSource& random,
                                        platform::InstanceFlag& instance,
                                        platform::Registry& registry,
                                        platform::TextEncoding& encoding,
                                        platform::MessageBoxService* messages = nullptr);

    // Takes the window's messages until the program ends; returns the exit code.
    int run();

    platform::win32::Win32Window window;
    platform::win32::Win32MessageBoxes messages{[this] { return window.handle(); }};
    platform::win32::Win32Sound sound;
    platform::win32::Win32Clipboard clipboard;
    platform::win32::Win32Tray tray;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Tasks tasks;
    platform::win32::Win32TextEncoding encoding;
    platform::win32::Win32Timer timer;
    platform::win32::CngCrypto crypto;
    // Beside the records file, so made once start() knows where that is.
    std::unique_ptr<platform::win32::DpapiKeyStore> keys;
};

}  // namespace program::win32
