#include <gtest/gtest.h>

#include <filesystem>

#include "form_harness.h"
#include "platform/registry.h"

namespace {

const char* const kLanguageKeys[] = {
    "AllChars",  "UCases",       "LCases",  "Numbers",  "OtherChars", "OnlyChars", "Generate",
    "Copy",      "Minimize",     "Close",   "Selected", "All",        "Delete",    "NoReGenerate",
    "AutoStart", "CharSettings", "LngChar", "Records",  "Options"};

std::vector<app::Control*> relabelled(app::frmMain& f) {
    return {&f.blnTumKarakterler,
            &f.blnUpper,
            &f.blnLower,
            &f.blnNumber,
            &f.blnOzel,
            &f.blnOzelKarakterler,
            &f.cmdOlustur,
            &f.cmdKopyala,
            &f.cmdGizle,
            &f.cmKapat,
            &f.optSecililer,
            &f.optAll,
            &f.cmdSifreSil,
            &f.blnOncekilerOlmasin,
            &f.chkAutoStart,
            &f.Frame1,
            &f.Frame2,
            &f.Frame3,
            &f.Frame4};
}

class Language : public ::testing::Test {
  protected:
    void write_language(const std::string& contents) {
        std::filesystem::create_directory(harness.folder.file("Language"));
        doubles::write_file(harness.folder.file("Language/lang.ini"), contents);
    }
    FormHarness harness;
};

TEST_F(Language, EveryKeyRelabelsItsControlInTableOrder) {
    std::string contents = "[Default]\r\n";
    for (const char* key : kLanguageKeys) {
        contents += std::string(key) + "=&" + key + "\r\n";
    }
    write_language(contents);
    auto& form = harness.start();
    auto controls = relabelled(form);
    ASSERT_EQ(controls.size(), std::size(kLanguageKeys));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i]->caption(), std::string("&") + kLanguageKeys[i]);
    }
    EXPECT_EQ(form.systrayolustur.caption(), "Generate");
    EXPECT_EQ(form.Label1.caption(), form.Label1.definition().caption);
    EXPECT_EQ(form.blnUpper.definition().tooltip, "Include ABCDEFGHIJKLMNOPQRSTUVWXYZ chars.");
}

TEST_F(Language, MissingKeysGiveEmptyCaptions) {
    write_language("[Default]\r\nCopy=Copy it\r\n[Other]\r\nGenerate=Go\r\n");
    auto& form = harness.start();
    EXPECT_EQ(form.cmdKopyala.caption(), "Copy it");
    EXPECT_EQ(form.cmdOlustur.caption(), "");
    EXPECT_EQ(form.Frame4.caption(), "");
}

TEST_F(Language, AMissingFileIsCreatedEmptyAndAMissingFolderKeepsTheBuiltInCaptions) {
    std::filesystem::create_directory(harness.folder.file("Language"));
    auto& form = harness.start();
    EXPECT_EQ(doubles::read_file(harness.folder.file("Language/lang.ini")), "");
    EXPECT_EQ(form.cmdOlustur.caption(), "");

    std::filesystem::remove_all(harness.folder.file("Language"));
    harness.start();
    for (auto* control : relabelled(*harness.form)) {
        EXPECT_EQ(control->caption(), control->definition().caption) << control->name();
    }
    EXPECT_TRUE(harness.messages.shown.empty());
}

TEST_F(Language, TheShippedFileShowsTheBuiltInCaptions) {
    write_language(doubles::read_file(KEYMINT_LANGUAGE_DIR "/lang.ini"));
    auto& form = harness.start();
    for (auto* control : relabelled(form)) {
        const std::string& built_in = control->definition().caption;
        if (control->kind() == app::ControlKind::Frame) {
            // Brackets cannot be read back, so the shipped frame captions go without them.
            EXPECT_NE(built_in.find(control->caption().substr(1)), std::string::npos)
                << control->name() << ": " << control->caption();
        } else {
            EXPECT_EQ(control->caption(), built_in);
        }
    }
}

TEST(Settings, FirstSaveWritesTheSixLinesAndLaterSavesKeepTheirOrder) {
    FormHarness harness;
    auto& form = harness.start();
    form.blnOzel.set_value(0);
    form.intUzunluk.set_text("12");
    form.IniKaydet();
    const std::string path = harness.folder.file("keymint.ini");
    EXPECT_EQ(doubles::read_file(path),
              "[Default]\r\nnumberofchars=12\r\notherchars=0\r\nnumbers=1\r\nlovercase=1\r\n"
              "uppercase=1\r\n");

    form.blnUpper.set_value(0);
    form.intUzunluk.set_text("");
    form.IniKaydet();
    EXPECT_EQ(doubles::read_file(path),
              "[Default]\r\nnumberofchars=\r\notherchars=0\r\nnumbers=1\r\nlovercase=1\r\n"
              "uppercase=0\r\n");
}

TEST(Settings, AFailedSaveReachesItsCaller) {
    FormHarness harness;
    auto& form = harness.start();
    std::filesystem::create_directory(harness.folder.file("keymint.ini"));
    EXPECT_THROW(form.IniKaydet(), platform::FileError);
}

TEST(AutoStart, TheBoxShowsWhetherTheEntryReallyIsThere) {
    FormHarness harness;
    auto& form = harness.start();

    form.raise_value_change(form.chkAutoStart, 1);
    EXPECT_EQ(form.chkAutoStart.value(), 1);
    EXPECT_EQ(form.AutoRun(), 1);
    EXPECT_EQ(form.strAutoRunPath, harness.folder.path() + "/keymint");

    form.raise_value_change(form.chkAutoStart, 0);
    EXPECT_EQ(form.AutoRun(), 0);
    EXPECT_TRUE(harness.messages.shown.empty());
}

#ifndef _WIN32
// The Run entry is a desktop entry in the autostart folder there.
TEST(AutoStart, TheEntryIsAnAutostartFileAndItsFailureIsShown) {
    FormHarness harness;
    auto& form = harness.start();
    const std::string entry = harness.config_home + "/autostart/keymint.desktop";
    form.raise_value_change(form.chkAutoStart, 1);
    EXPECT_TRUE(std::filesystem::exists(entry));
    form.raise_value_change(form.chkAutoStart, 0);
    EXPECT_FALSE(std::filesystem::exists(entry));

    // An autostart folder that cannot be made: the box goes back and the user is told why.
    std::filesystem::remove_all(harness.config_home + "/autostart");
    doubles::write_file(harness.config_home + "/autostart", "not a folder");
    form.raise_value_change(form.chkAutoStart, 1);
    EXPECT_EQ(form.chkAutoStart.value(), 0);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_EQ(harness.messages.shown[0].icon, platform::MessageIcon::Critical);
}
#endif

}  // namespace
