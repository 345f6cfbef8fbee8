#include <gtest/gtest.h>

#include "app/generator.h"
#include "app/inventory.h"
#include "app/messages.h"
#include "app/text.h"
#include "form_harness.h"

namespace {

TEST(GeneratorOptions, StartUntickedAtEveryRunAndAreNotSaved) {
    FormHarness harness;
    for (int run = 0; run < 2; ++run) {
        app::frmMain& form = harness.start();
        EXPECT_EQ(form.chkEveryClass.caption(), "&Her seçili türden en az bir karakter");
        EXPECT_EQ(form.chkNoLookAlikes.caption(), "&Benzer görünen karakterleri kullanma");
        for (auto* box : {&form.chkEveryClass, &form.chkNoLookAlikes}) {
            EXPECT_EQ(box->value(), 0) << box->name() << ", run " << run;
            EXPECT_EQ(box->definition().tab, app::kTabOptions) << box->name();
            form.raise_value_change(*box, 1);
        }
        form.raise_click(form.cmKapat);
        // The keys and values the file held before the two boxes came.
        EXPECT_EQ(doubles::read_file(harness.folder.file("keymint.ini")),
                  "[Default]\r\nnumberofchars=8\r\notherchars=1\r\nnumbers=1\r\nlovercase=1\r\n"
                  "uppercase=1\r\n");
    }
}

TEST(GeneratorOptions, TickedBoxesShapeEveryPasswordAndRefuseATooShortLength) {
    struct Case {
        bool every_class;
        bool no_look_alikes;
        const char* length;
        std::string message;  // empty: a password is shown
    } cases[] = {
        {true, false, "4", ""},
        {true, true, "50", ""},
        {false, true, "50", ""},
        {true, false, "3", app::too_short_for_every_class(4)},
        {true, true, "1", app::too_short_for_every_class(4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.length) + (c.every_class ? " every class" : "") +
                     (c.no_look_alikes ? " no look-alikes" : ""));
        FormHarness harness;
        app::frmMain& form = harness.start();
        form.raise_value_change(form.chkEveryClass, c.every_class);
        form.raise_value_change(form.chkNoLookAlikes, c.no_look_alikes);
        form.intUzunluk.set_text(c.length);
        app::PoolOptions all;
        all.no_look_alikes = c.no_look_alikes;
        for (int i = 0; i < 20; ++i) {
            form.raise_click(form.cmdOlustur);
            if (!c.message.empty()) {
                ASSERT_EQ(harness.messages.shown.size(), 1u);
                EXPECT_EQ(harness.messages.shown[0].text, c.message);
                EXPECT_EQ(form.txtSifre.text(), "");
                break;
            }
            const std::string password = form.txtSifre.text();
            ASSERT_TRUE(app::has_every_class(password, app::chosen_classes(all)) || !c.every_class)
                << password;
            for (const auto& point : app::code_points(password)) {
                EXPECT_TRUE(!c.no_look_alikes || app::kLookAlikes.find(point) == std::string::npos)
                    << password;
            }
        }
    }
}

}  // namespace
