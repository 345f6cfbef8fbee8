#include "program/qt/qt_desktop.h"

#include "app/mdl_visual_style.h"

namespace program::qt {

std::unique_ptr<app::frmMain> QtDesktop::start(platform::ProgramInfo& program,
                                               platform::FileSystem& files,
                                               platform::RandomSource& random,
                                               platform::InstanceFlag& instance,
                                               platform::Registry& registry,
                                               platform::TextEncoding& encoding) {
    app::Services services{program,   files, random, messages, sound, instance, window,  registry,
                           clipboard, tray,  shell,  encoding, tasks, timer,    &crypto, &keys};
    return app::Main(services, [this](app::frmMain& form) {
        window.build(form);
        tray.on_mouse = [&form](int button) { form.raise_tray_mouse(button); };
    });
}

}  // namespace program::qt
