#pragma once

#include "platform/clipboard.h"
#include "platform/crypto.h"
#include "platform/file_system.h"
#include "platform/instance_flag.h"
#include "platform/key_store.h"
#include "platform/message_box.h"
#include "platform/program_info.h"
#include "platform/random_source.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/tasks.h"
#include "platform/text_encoding.h"
#include "platform/timer.h"
#include "platform/tray.h"
#include "platform/window_system.h"

namespace app {

// Everything outside the process that the main window reaches.
struct Services {
    platform::ProgramInfo& program;
    platform::FileSystem& files;
    platform::RandomSource& random;
    platform::MessageBoxService& messages;
    platform::Sound& sound;
    platform::InstanceFlag& instance;
    platform::WindowSystem& window;
    platform::Registry& registry;
    platform::Clipboard& clipboard;
    platform::Tray& tray;
    platform::Shell& shell;
    platform::TextEncoding& encoding;
    platform::Tasks& tasks;
    platform::Timer& timer;
    // What private records are made with; without either, they are refused.
    const platform::Crypto* crypto;
    platform::KeyStore* keys;
};

}  // namespace app
