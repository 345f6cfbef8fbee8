#include <gtest/gtest.h>

#include <filesystem>

#include "app/links.h"
#include "app/text.h"
#include "form_harness.h"

namespace {

using platform::WindowState;

class Tray : public ::testing::Test {
  protected:
    void SetUp() override { form = &harness.start(); }
    FormHarness harness;
    app::frmMain* form = nullptr;
};

TEST_F(Tray, EveryActivationAsksForTheIconAndLeavesOne) {
    form->raise_activate();
    form->raise_activate();
    EXPECT_EQ(harness.tray.adds, 3);
    EXPECT_TRUE(harness.tray.shown);
    EXPECT_EQ(harness.tray.last.szTip, "Keymint");
    EXPECT_EQ(harness.tray.last.uID, 1u);
    EXPECT_EQ(harness.tray.last.uFlags, 7u);
    EXPECT_EQ(harness.tray.last.uCallbackMessage, 0x200u);
    EXPECT_EQ(harness.tray.last.cbSize, 88u);
}

TEST_F(Tray, ASecondInstanceTakesItsIconAlongWhenItEnds) {
    FormHarness second;
    second.instance.previous = true;
    second.start();
    EXPECT_EQ(second.tray.adds, 1);
    EXPECT_FALSE(second.tray.shown);
    EXPECT_TRUE(second.window.ended);
}

TEST_F(Tray, MouseButtonsRestoreOrOpenTheMenu) {
    struct Case {
        int button;
        WindowState state_after;
        std::size_t menus;
    };
    const Case cases[] = {{1, WindowState::Normal, 0},
                          {2, WindowState::Minimized, 1},
                          {3, WindowState::Minimized, 0},
                          {4, WindowState::Minimized, 0}};
    for (const auto& c : cases) {
        harness.window.state = WindowState::Minimized;
        harness.window.popped_up.clear();
        form->raise_tray_mouse(c.button);
        EXPECT_EQ(harness.window.state, c.state_after) << c.button;
        EXPECT_EQ(harness.window.popped_up.size(), c.menus) << c.button;
    }
    form->raise_tray_mouse(2);
    EXPECT_EQ(harness.window.popped_up.back(), "systraymenu");
}

TEST_F(Tray, HideAndShowMoveBetweenMinimizedAndNormal) {
    form->raise_click(form->cmdGizle);
    EXPECT_EQ(harness.window.state, WindowState::Minimized);
    form->raise_click(form->systrayshow);
    EXPECT_EQ(harness.window.state, WindowState::Normal);
    form->raise_click(form->systrayhide);
    EXPECT_EQ(harness.window.state, WindowState::Minimized);
    EXPECT_TRUE(harness.window.visible);
}

TEST_F(Tray, AWindowHiddenByACloseRequestComesBack) {
    for (auto* bring_back : {&form->systrayshow, &form->systrayolustur}) {
        int cancel = 0;
        form->raise_query_unload(cancel, app::vbFormControlMenu);
        EXPECT_NE(cancel, 0);
        EXPECT_FALSE(harness.window.visible);
        EXPECT_TRUE(harness.tray.shown);
        form->raise_click(*bring_back);
        EXPECT_TRUE(harness.window.visible) << bring_back->name();
        EXPECT_EQ(harness.window.state, WindowState::Normal);
    }
    int cancel = 0;
    form->raise_query_unload(cancel, app::vbAppTaskManager);
    form->raise_tray_mouse(1);
    EXPECT_TRUE(harness.window.visible);
}

TEST_F(Tray, GenerateFromTheMenuGeneratesAndRestores) {
    harness.window.state = WindowState::Minimized;
    form->raise_click(form->systrayolustur);
    EXPECT_EQ(app::code_point_count(form->txtSifre.text()), 8u);
    EXPECT_NE(harness.records().find(form->txtSifre.text()), std::string::npos);
    EXPECT_EQ(harness.window.state, WindowState::Normal);

    // The menu works even while the button is disabled: the generator reports the empty pool.
    for (auto* box : {&form->blnUpper, &form->blnLower, &form->blnNumber, &form->blnOzel}) {
        form->raise_value_change(*box, 0);
    }
    EXPECT_FALSE(form->cmdOlustur.enabled());
    form->raise_click(form->systrayolustur);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_EQ(harness.messages.shown[0].text, "Please select chars to generate password!");
}

TEST_F(Tray, WithoutANotificationAreaACloseRequestMinimizes) {
    harness.tray.has_area = false;
    int cancel = 0;
    form->raise_query_unload(cancel, app::vbFormControlMenu);
    EXPECT_NE(cancel, 0);
    EXPECT_TRUE(harness.window.visible);
    EXPECT_EQ(harness.window.state, WindowState::Minimized);
}

TEST_F(Tray, TheSessionEndingIsNotRefused) {
    int cancel = 0;
    form->raise_query_unload(cancel, app::vbAppWindows);
    EXPECT_EQ(cancel, 0);
    form->raise_unload();
    EXPECT_FALSE(harness.tray.shown);
    EXPECT_FALSE(std::filesystem::exists(harness.folder.file("keymint.ini")));
}

TEST_F(Tray, ExitSavesTheSettingsRemovesTheIconAndEnds) {
    for (const char* exit : {"cmKapat", "systrayexit"}) {
        harness.start();
        std::filesystem::remove(harness.folder.file("keymint.ini"));
        harness.form->intUzunluk.set_text("17");
        harness.form->raise_click(harness.form->control(exit));
        EXPECT_TRUE(harness.window.ended) << exit;
        EXPECT_FALSE(harness.tray.shown);
        EXPECT_NE(doubles::read_file(harness.folder.file("keymint.ini")).find("numberofchars=17"),
                  std::string::npos);
        EXPECT_TRUE(harness.messages.shown.empty());
        harness.window.ended = false;
    }
}

TEST_F(Tray, AFailedSaveIsReportedAndTheProgramStillEnds) {
    std::filesystem::create_directory(harness.folder.file("keymint.ini"));
    form->raise_click(form->cmKapat);
    ASSERT_EQ(harness.messages.shown.size(), 1u);
    EXPECT_NE(harness.messages.shown[0].text.find("settings could not be saved"),
              std::string::npos);
    EXPECT_FALSE(harness.tray.shown);
    EXPECT_TRUE(harness.window.ended);
}

TEST_F(Tray, LinksOpenTheirAddressesAndChangeNothingElse) {
    const std::string records = harness.records();
    form->raise_click(form->Label1);
    form->raise_click(form->Label2);
    form->raise_click(form->Label2);
    ASSERT_EQ(harness.shell.opened.size(), 3u);
    EXPECT_EQ(harness.shell.opened[0], "Open " + std::string(app::kAdviceLink.address));
    EXPECT_EQ(harness.shell.opened[1], "Open " + std::string(app::kMakerLink.address));
    EXPECT_EQ(harness.shell.opened[2], harness.shell.opened[1]);
    EXPECT_EQ(form->Label1.caption(), app::kAdviceLink.host);
    EXPECT_EQ(form->Label1.definition().tooltip, "Go to " + std::string(app::kAdviceLink.address));
    EXPECT_EQ(form->Label2.definition().tooltip, "Go to " + std::string(app::kMakerLink.host));
    EXPECT_EQ(harness.records(), records);
    EXPECT_FALSE(std::filesystem::exists(harness.folder.file("keymint.ini")));
}

}  // namespace
