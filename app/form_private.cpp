#include "app/frm_main.h"
#include "app/messages.h"
#include "app/private_records.h"

namespace app {

void frmMain::chkPrivate_Click() {
    const bool on = chkPrivate.value() == 1;
    // Rests until the file holds the change; the index built after it shows what the file is.
    chkPrivate.set_enabled(false);
    auto code = std::make_shared<std::string>();
    platform::RandomSource& random = services_.random;
    records.rewrite(
        [on, code, &random](RecordsFile& file) -> std::size_t {
            if (!on) {
                return turn_private_off(file).value_or(0);
            }
            auto done = turn_private_on(file, random);
            if (!done) {
                return 0;
            }
            *code = std::move(done->recovery_code);
            return done->unreadable;
        },
        [this, on, code](std::exception_ptr failure, std::size_t unreadable) {
            chkPrivate.set_enabled(true);
            try {
                if (failure) {
                    std::rethrow_exception(failure);
                }
                lstSifreler.clear_items();
                records.list_cleared();
                tell_unreadable(unreadable);
                if (!code->empty()) {
                    services_.messages.show(std::string(kPrivateOn) + "\r\n\r\n" + *code,
                                            kApplicationTitle, platform::MessageIcon::None);
                }
            } catch (const std::exception& error) {
                chkPrivate.set_value(on ? 0 : 1);
                report(error, on ? "Private records were not turned on; the records file is "
                                   "unchanged."
                                 : "Private records were not turned off; the records file is "
                                   "unchanged.");
            }
        });
}

void frmMain::ask_recovery_key(const std::string& why) {
    auto code = services_.messages.ask(why + "\r\n\r\n" + kAskRecoveryKey, kApplicationTitle);
    if (!code) {
        return;
    }
    // The keyring may ask the user to unlock it: off the window's thread, as a rewrite is.
    records.rewrite(
        [code = *code](RecordsFile& file) -> std::size_t {
            recover_key(file, code);
            return 0;
        },
        [this](std::exception_ptr failure, std::size_t) {
            try {
                if (failure) {
                    std::rethrow_exception(failure);
                }
                services_.messages.show(kKeyRecovered, kApplicationTitle,
                                        platform::MessageIcon::None);
            } catch (const std::exception& error) {
                report(error, "The key was not put back.");
            }
        });
}

void frmMain::records_indexed() {
    if (auto is_private = records.records_private()) {
        chkPrivate.set_value(*is_private ? 1 : 0);
    }
}

void frmMain::tell_unreadable(std::size_t count) {
    if (count == 0 || blnUnreadableTold) {
        return;
    }
    blnUnreadableTold = true;
    services_.messages.show(unreadable_lines(count), kApplicationTitle,
                            platform::MessageIcon::None);
}

}  // namespace app
