#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/char_classes.h"
#include "app/file_places.h"
#include "app/inventory.h"
#include "form_harness.h"

namespace {

TEST(StartUp, FirstStartCreatesTheRecordsFileAndLaterStartsLeaveItAlone) {
    FormHarness harness;
    harness.start();
    EXPECT_EQ(harness.records(), "temppass\r\n");
    EXPECT_TRUE(harness.messages.shown.empty());
    EXPECT_TRUE(harness.window.visible);
    EXPECT_EQ(harness.window.common_controls_calls, 2) << "Main and Form_Initialize";

    doubles::write_file(harness.records_path(), "temppass\r\nold\r\n");
    harness.start();
    EXPECT_EQ(harness.records(), "temppass\r\nold\r\n");
}

TEST(StartUp, UnwritableFolderShowsOneMessageAndTheWindowStillOpens) {
    FormHarness harness;
    harness.program = doubles::FakeProgramInfo(harness.folder.file("missing-folder"));
    auto& form = harness.start();
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    const auto& message = harness.messages.shown[0];
    EXPECT_EQ(message.text.rfind("Can't load file. Please make folder writeable.", 0), 0u);
    EXPECT_NE(message.text.find('"' + harness.program.folder() + '"'), std::string::npos)
        << message.text;
    EXPECT_EQ(message.caption, "Keymint");
    EXPECT_EQ(message.icon, platform::MessageIcon::None);
    EXPECT_TRUE(harness.window.visible);
    EXPECT_TRUE(form.cmdOlustur.enabled());
}

TEST(StartUp, AnInstalledProgramKeepsRecordsAndSettingsInTheUsersDataFolder) {
    FormHarness harness;
    harness.program = doubles::FakeProgramInfo(harness.folder.file("read-only"));
    harness.program.data_folder = harness.folder.file("data/keymint");
    auto& form = harness.start();
    EXPECT_TRUE(harness.messages.shown.empty());
    EXPECT_EQ(doubles::read_file(harness.program.data_folder + "/sifreler.dat"), "temppass\r\n");
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(harness.program.data_folder).permissions(),
              std::filesystem::perms::owner_all);
#endif
    form.raise_click(form.cmKapat);
    EXPECT_TRUE(std::filesystem::exists(harness.program.data_folder + "/keymint.ini"));

    // A writable folder with the installer's mark counts as installed too.
    harness.program = doubles::FakeProgramInfo(harness.folder.path());
    harness.program.data_folder = harness.folder.file("marked/keymint");
    doubles::write_file(harness.folder.file(app::kInstalledMark), "");
    harness.start();
    EXPECT_TRUE(std::filesystem::exists(harness.program.data_folder + "/sifreler.dat"));
    EXPECT_FALSE(std::filesystem::exists(harness.folder.file("sifreler.dat")));

    // The data folder cannot be made: the message names it.
    doubles::write_file(harness.folder.file("file"), "");
    harness.program.data_folder = harness.folder.file("file/keymint");
    harness.start();
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_NE(harness.messages.shown[0].text.find('"' + harness.program.data_folder + '"'),
              std::string::npos);
}

TEST(StartUp, EveryOptionStartsFromTheWindowsDefaults) {
    FormHarness harness;
    doubles::write_file(harness.folder.file("keymint.ini"),
                        "[Default]\r\nuppercase=0\r\nnumberofchars=20\r\n");
    auto& form = harness.start();
    EXPECT_EQ(form.txtSifre.text(), "");
    EXPECT_FALSE(form.cmdKopyala.enabled());
    EXPECT_TRUE(form.cmdOlustur.enabled());
    EXPECT_EQ(form.blnTumKarakterler.value(), 1);
    EXPECT_EQ(form.blnOzelKarakterler.value(), 0);
    for (auto* box : {&form.blnUpper, &form.blnLower, &form.blnNumber, &form.blnOzel,
                      &form.blnOncekilerOlmasin}) {
        EXPECT_EQ(box->value(), 1) << box->name();
        EXPECT_TRUE(box->enabled()) << box->name();
    }
    EXPECT_EQ(form.chkAutoStart.value(), 0);
    EXPECT_EQ(form.optAll.value(), 0);
    EXPECT_EQ(form.optSecililer.value(), 0);
    EXPECT_EQ(form.intUzunluk.text(), "8");
    EXPECT_EQ(form.SSTab1.value(), app::kTabGenerate);
    EXPECT_EQ(form.arrOzelKarakterler.background(), app::SystemColour::InactiveBorder);
    EXPECT_TRUE(form.arrOzelKarakterler.enabled());
}

TEST(StartUp, ASecondInstanceEndsAtItsFirstActivation) {
    FormHarness harness;
    harness.instance.previous = true;
    harness.start();
    EXPECT_TRUE(harness.window.ended);
    EXPECT_TRUE(harness.messages.shown.empty());

    FormHarness first;
    first.start();
    first.form->raise_activate();
    EXPECT_FALSE(first.window.ended);
}

TEST(StartUp, ActivationKeepsTheCopyButtonInStepWithThePasswordBox) {
    FormHarness harness;
    auto& form = harness.start();
    form.txtSifre.set_text("abc");
    form.cmdKopyala.set_enabled(false);
    form.raise_activate();
    EXPECT_TRUE(form.cmdKopyala.enabled());
}

TEST(Inventory, NamesAreUniqueAndContainersComeFirst) {
    std::set<std::string> seen{"", "systraymenu"};
    for (const auto& control : app::frmMain_inventory()) {
        EXPECT_TRUE(seen.count(control.container))
            << control.name << " before " << control.container;
        EXPECT_TRUE(seen.insert(control.name).second) << control.name;
    }
    // Each class of characters has its check box.
    for (const auto& characters : app::kCharClasses) {
        const auto& inventory = app::frmMain_inventory();
        auto box = std::find_if(inventory.begin(), inventory.end(), [&](const auto& control) {
            return control.name == characters.control;
        });
        ASSERT_NE(box, inventory.end()) << characters.control;
        EXPECT_EQ(box->kind, app::ControlKind::CheckBox) << characters.control;
    }
}

}  // namespace
