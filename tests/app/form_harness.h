#pragma once

#include <memory>
#include <set>

#include "app/mdl_visual_style.h"
#include "doubles.h"
#include "native.h"

// The secure source until a test scripts its draws.
struct SwitchableRandom : platform::RandomSource {
    void fill(std::uint8_t* bytes, std::size_t count) override {
        if (scripted) {
            scripted_random.fill(bytes, count);
        } else {
            secure_random.fill(bytes, count);
        }
    }
    native::RandomSource secure_random;
    doubles::ScriptedRandom scripted_random;
    bool scripted = false;
};

// A started main window over test doubles, in a fresh program folder.
struct FormHarness {
    FormHarness() = default;
    // In a program folder that exists already and stays.
    explicit FormHarness(std::string existing) : folder(std::move(existing)) {}

    doubles::TempFolder folder;
    doubles::FakeProgramInfo program{folder.path()};
    native::FileSystem files;
    SwitchableRandom random;
    doubles::RecordingMessages messages;
    doubles::CountingSound sound;
    doubles::FixedInstanceFlag instance;
    doubles::FakeWindowSystem window;
    std::string config_home = folder.file("config");
    std::unique_ptr<platform::Registry> registry = native::user_registry(config_home);
    doubles::FakeClipboard clipboard;
    doubles::FakeTray tray;
    doubles::FakeShell shell;
    doubles::FakeTextEncoding encoding;
    doubles::HeldTasks tasks;
    doubles::ManualTimer timer;
    native::Crypto crypto;
    doubles::FakeKeyStore keys;
    std::unique_ptr<app::frmMain> form;

    app::Services services() {
        return {program,   files, random, messages, sound, instance, window,  *registry,
                clipboard, tray,  shell,  encoding, tasks, timer,    &crypto, &keys};
    }

    // Starts a run of the program; a second call starts a new run in the same folder.
    app::frmMain& start() {
        form.reset();
        form = app::Main(services(), [](app::frmMain&) {});
        form->raise_activate();
        return *form;
    }

    // Makes the next draw from a pool of `pool_size` code points pick index `index`.
    void pick(std::uint64_t pool_size, std::uint64_t index) {
        random.scripted = true;
        random.scripted_random.words.push_back(pool_size + index);
    }

    std::string records_path() const { return folder.file("sifreler.dat"); }
    // Read as the program reads it, in the system's narrow encoding.
    std::string records() { return files.read_all(records_path()); }
};
