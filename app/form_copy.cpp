#include "app/frm_main.h"

#include <algorithm>

#include "app/inventory.h"
#include "app/messages.h"
#include "app/text.h"

namespace app {

namespace {

// Long enough to paste into a sign-up form, short enough not to linger.
constexpr int kClipboardClearDelayMs = 30'000;

}  // namespace

void frmMain::cmdKopyala_Click() {
    const std::size_t length = code_point_count(txtSifre.text());
    if (length < 1) {
        services_.messages.show(kCopyFirst, kWindowTitle, platform::MessageIcon::Critical);
        return;
    }
    txtSifre.set_selection(0, length);
    PanoyaKopyala(txtSifre);
    if (services_.clipboard.text() != txtSifre.text()) {
        services_.messages.show(kCopyFailed, kWindowTitle, platform::MessageIcon::Critical);
        return;
    }
    strPanodaki = txtSifre.text();
    start_clipboard_clear();
    services_.messages.show(kCopied, kWindowTitle, platform::MessageIcon::None);
}

void frmMain::secret_copied(const std::string& text, bool selection) {
    (selection ? strSecimdeki : strPanodaki) = text;
    start_clipboard_clear();
}

void frmMain::start_clipboard_clear() {
    if (chkClearClipboard.value() != 0) {
        services_.timer.start(kClipboardClearDelayMs,
                              [this] { guarded([this] { clear_own_clipboard(); }); });
    }
}

void frmMain::PanoyaKopyala(Control& box) {
    std::vector<std::string> characters = code_points(box.text());
    std::size_t start = std::min(box.selection_start(), characters.size());
    std::size_t end = std::min(start + box.selection_length(), characters.size());
    std::string selected;
    for (std::size_t i = start; i < end; ++i) {
        selected += characters[i];
    }
    services_.clipboard.copy_secret(selected);
}

void frmMain::clear_own_clipboard() {
    // Something the user copied since is theirs to keep.
    if (chkClearClipboard.value() != 0) {
        services_.clipboard.clear_if_holding(strPanodaki);
        services_.clipboard.clear_selection_if_holding(strSecimdeki);
    }
    strPanodaki.clear();
    strSecimdeki.clear();
}

}  // namespace app
