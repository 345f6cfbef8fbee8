#include "program/win32/win32_desktop.h"

#include "app/file_places.h"
#include "app/mdl_visual_style.h"

namespace program::win32 {

std::unique_ptr<app::frmMain> Win32Desktop::start(
    platform::ProgramInfo& program, platform::FileSystem& files, platform::RandomSource& random,
    platform::InstanceFlag& instance, platform::Registry& registry,
    platform::TextEncoding& encoding, platform::MessageBoxService* shown_messages) {
    keys = std::make_unique<platform::win32::DpapiKeyStore>(
        app::FilePlaces(program, files).data_folder());
    app::Services services{
        program,   files,    random,  shown_messages != nullptr ? *shown_messages : messages,
        sound,     instance, window,  registry,
        clipboard, tray,     shell,   encoding,
        tasks,     timer,    &crypto, keys.get()};
    return app::Main(services, [this](app::frmMain& form) {
        window.build(form);
        tray.attach(window.handle(), window.icon());
        clipboard.attach(window.control_handle("txtSifre"));
        window.on_tray_mouse = [&form](int button) { form.raise_tray_mouse(button); };
        window.on_taskbar_created = [this] { tray.restore(); };
    });
}

int Win32Desktop::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.translate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace program::win32
