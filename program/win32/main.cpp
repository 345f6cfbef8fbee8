#include <windows.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_instance_flag.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#include "program/win32/win32_desktop.h"

namespace {

// Each monitor's own scale, so the window is sharp and grows with the screen.
void use_monitor_dpi() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    FARPROC found =
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext");
    if (found != nullptr) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found))(
            reinterpret_cast<HANDLE>(-4));
    } else {
        SetProcessDPIAware();
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    use_monitor_dpi();
    platform::win32::Win32ProgramInfo program;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32RandomSource random;
    platform::win32::Win32InstanceFlag instance(program.executable());
    platform::win32::Win32Registry registry;
    program::win32::Win32Desktop desktop;
    auto form = desktop.start(program, files, random, instance, registry);
    return desktop.run();
}
