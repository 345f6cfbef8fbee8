#include <gtest/gtest.h>

#include "form_harness.h"

namespace {

TEST(AboutTab, ShowsTheRecordsFolderAndOpensIt) {
    FormHarness harness;
    app::frmMain& form = harness.start();
    EXPECT_EQ(form.txtFolder.text(), harness.folder.path());
    form.raise_click(form.cmdFolder);
    ASSERT_EQ(harness.shell.opened.size(), 1u);
    EXPECT_EQ(harness.shell.opened[0], "Open " + harness.folder.path());
}

TEST(AboutTab, TheFolderBoxCanBeCopiedButNotChanged) {
    FormHarness harness;
    app::frmMain& form = harness.start();
    for (int key : {int{'x'}, 8, 22, 24}) {
        int code = key;
        form.raise_key_press(form.txtFolder, code);
        EXPECT_EQ(code, 0) << key;
    }
    int copy = 3;
    form.raise_key_press(form.txtFolder, copy);
    EXPECT_EQ(copy, 3);
    // A change that got past the keys (a paste from a menu, say) is undone.
    form.raise_text_edit(form.txtFolder, "/elsewhere");
    EXPECT_EQ(form.txtFolder.text(), harness.folder.path());
}

}  // namespace
