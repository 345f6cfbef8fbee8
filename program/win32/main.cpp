// The manifest makes the process per-monitor DPI aware and asks for common controls 6.
#include <windows.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_instance_flag.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_encoding.h"
#include "program/win32/win32_desktop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::Win32ProgramInfo program;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32RandomSource random;
    platform::win32::Win32InstanceFlag instance(program.executable());
    platform::win32::Win32Registry registry;
    platform::win32::Win32TextEncoding encoding;
    program::win32::Win32Desktop desktop;
    auto form = desktop.start(program, files, random, instance, registry, encoding);
    return desktop.run();
}
