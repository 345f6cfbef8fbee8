#include <gtest/gtest.h>

#include "form_harness.h"

namespace {

class ClipboardClear : public ::testing::Test {
  protected:
    void SetUp() override {
        form = &harness.start();
        form->raise_click(form->cmdOlustur);
        form->raise_click(form->cmdKopyala);
        password = form->txtSifre.text();
        ASSERT_EQ(harness.clipboard.held, password);
    }

    FormHarness harness;
    app::frmMain* form = nullptr;
    std::string password;
};

TEST_F(ClipboardClear, OurPasswordIsClearedThirtySecondsAfterTheCopy) {
    EXPECT_EQ(harness.timer.delay, 30'000);
    harness.timer.elapse();
    EXPECT_EQ(harness.clipboard.held, "");
}

TEST_F(ClipboardClear, WhatTheUserCopiedSinceIsNeverWiped) {
    harness.clipboard.held = "the user's own text";
    harness.timer.elapse();
    EXPECT_EQ(harness.clipboard.held, "the user's own text");
    form->raise_click(form->cmKapat);
    EXPECT_EQ(harness.clipboard.held, "the user's own text");
}

TEST_F(ClipboardClear, QuittingClearsAPasswordStillWaiting) {
    form->raise_click(form->systrayexit);
    EXPECT_EQ(harness.clipboard.held, "");
}

TEST_F(ClipboardClear, AnUntickedBoxLeavesTheClipboardAlone) {
    form->raise_value_change(form->chkClearClipboard, 0);
    harness.timer.elapse();
    EXPECT_EQ(harness.clipboard.held, password);
    form->raise_click(form->cmKapat);
    EXPECT_EQ(harness.clipboard.held, password);
}

// The box's own menu, a drag or a selection put the password elsewhere than the Copy button does:
// the same clear follows, on the timer and at quitting.
TEST(ClipboardClearEveryPath, WhatTheBoxPutsOnTheClipboardOrTheSelectionIsCleared) {
    for (bool to_selection : {false, true}) {
        for (bool by_quitting : {false, true}) {
            SCOPED_TRACE(std::string(to_selection ? "selection" : "clipboard") +
                         (by_quitting ? ", quit" : ", timer"));
            FormHarness harness;
            app::frmMain& form = harness.start();
            form.raise_click(form.cmdOlustur);
            harness.clipboard.box_copies(form.txtSifre.text(), to_selection);
            if (by_quitting) {
                form.raise_click(form.systrayexit);
            } else {
                EXPECT_EQ(harness.timer.delay, 30'000);
                harness.timer.elapse();
            }
            EXPECT_EQ(harness.clipboard.held, "");
            EXPECT_EQ(harness.clipboard.selection, "");
        }
    }
}

TEST(ClipboardClearCaption, ALanguageFileWithoutTheKeyKeepsTheBuiltInCaption) {
    for (auto [file, caption] :
         {std::pair{"[Default]\r\nCopy=Copy\r\n", "Panoyu 30 saniye sonra temizle"},
          {"[Default]\r\nClearClipboard=Clear it\r\n", "Clear it"}}) {
        FormHarness harness;
        std::filesystem::create_directory(harness.folder.file("Language"));
        doubles::write_file(harness.folder.file("Language/lang.ini"), file);
        EXPECT_EQ(harness.start().chkClearClipboard.caption(), caption);
    }
}

}  // namespace
