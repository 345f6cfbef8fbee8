// The manifest makes the process per-monitor DPI aware and asks for common controls 6.
#include <windows.h>

#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "app/file_places.h"
#include "platform/win32/cng_crypto.h"
#include "platform/win32/dpapi_key_store.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_instance_flag.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_encoding.h"
#include "program/command_line.h"
#include "program/win32/standard_output.h"
#include "program/win32/win32_desktop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::Win32ProgramInfo program;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32RandomSource random;
    platform::win32::Win32TextEncoding encoding;
    {
        platform::win32::CngCrypto crypto;
        std::optional<platform::win32::DpapiKeyStore> key_store;
        auto record_keys = [&] {
            key_store.emplace(app::FilePlaces(program, files).data_folder());
            return std::make_shared<app::RecordKeys>(&crypto, &*key_store);
        };
        program::win32::Arguments arguments;
        program::win32::StandardOutput out_buffer(STD_OUTPUT_HANDLE);
        program::win32::StandardOutput error_buffer(STD_ERROR_HANDLE);
        std::ostream out(&out_buffer);
        std::ostream errors(&error_buffer);
        auto generate = [&](const app::BatchRequest& request) {
            return program::generate_passwords(request, program, files, random, encoding, out,
                                               errors, record_keys());
        };
        // The recovery key comes from a redirected file: a window program has no console to type
        // it into.
        auto change_records = [&](const program::CommandLine& line) {
            return program::change_records(line, program, files, random, record_keys(), std::cin,
                                           out, errors);
        };
        if (auto exit_code = program::answer_without_window(
                arguments.count(), arguments.values(), out, errors, generate, change_records)) {
            return *exit_code;  // the buffers write what is left as they go
        }
    }
    platform::win32::Win32InstanceFlag instance(program.executable());
    platform::win32::Win32Registry registry;
    program::win32::Win32Desktop desktop;
    auto form = desktop.start(program, files, random, instance, registry, encoding);
    return desktop.run();
}
