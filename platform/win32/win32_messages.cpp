#include "platform/win32/win32_messages.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

// The owner a box takes: the main window while it is shown, else none.
HWND shown_owner(const std::function<HWND()>& owner) {
    HWND window = owner ? owner() : nullptr;
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// A DLGTEMPLATEEX in memory, as DialogBoxIndirectParamW reads it: WORDs, each control's entry
// starting on a DWORD.
class DialogTemplate {
  public:
    DialogTemplate(DWORD style, const std::wstring& caption, const LOGFONTW& font, int points) {
        put(1);
        put(0xFFFF);
        put_long(0);
        put_long(0);
        put_long(style | DS_SETFONT);
        put(0);  // the number of controls, counted by add()
        for (int place = 0; place < 4; ++place) {
            put(0);
        }
        put(0);
        put(0);
        put(caption);
        put(static_cast<WORD>(points));
        put(static_cast<WORD>(font.lfWeight));
        put(static_cast<WORD>((font.lfItalic != 0 ? 1 : 0) | font.lfCharSet << 8));
        put(font.lfFaceName);
    }

    // A control of a predefined class (0x80 button, 0x81 edit, 0x82 static), placed later.
    void add(WORD window_class, int id, DWORD style, DWORD extended_style,
             const std::wstring& text) {
        if (words_.size() % 2 != 0) {
            put(0);
        }
        put_long(0);
        put_long(extended_style);
        put_long(style | WS_CHILD | WS_VISIBLE);
        for (int place = 0; place < 4; ++place) {
            put(0);
        }
        put_long(static_cast<DWORD>(id));
        put(0xFFFF);
        put(window_class);
        put(text);
        put(0);
        ++words_[kCountAt];
    }

    LPCDLGTEMPLATEW get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(words_.data()); }

  private:
    static constexpr std::size_t kCountAt = 8;

    void put(WORD word) { words_.push_back(word); }
    void put_long(DWORD value) {
        put(LOWORD(value));
        put(HIWORD(value));
    }
    void put(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        put(0);
    }

    std::vector<WORD> words_;
};

constexpr int kMessageId = 100;
constexpr int kAnswerId = 101;

// In dialog units, as Windows' layout guidelines give them.
constexpr int kMargin = 7;
constexpr int kTextWidth = 300;
constexpr int kLabelGap = 4;
constexpr int kControlGap = 7;
constexpr int kButtonGap = 4;
constexpr int kLineHeight = 14;
constexpr int kButtonWidth = 50;

int units_across(HWND dialog, int units) {
    RECT rect{0, 0, units, 0};
    MapDialogRect(dialog, &rect);
    return rect.right;
}

int units_down(HWND dialog, int units) {
    RECT rect{0, 0, 0, units};
    MapDialogRect(dialog, &rect);
    return rect.bottom;
}

int wrapped_height(HWND control, int width) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    HDC dc = GetDC(control);
    HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), length, &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old_font);
    ReleaseDC(control, dc);
    return rect.bottom;
}

// Wraps the message at the text width, puts the box, OK and Cancel under it, and centres the
// dialog over its owner or on its screen.
void lay_out(HWND dialog) {
    const int margin = units_across(dialog, kMargin);
    const int width = units_across(dialog, kTextWidth);
    const int line = units_down(dialog, kLineHeight);
    const int button = units_across(dialog, kButtonWidth);
    HWND message = GetDlgItem(dialog, kMessageId);
    const int text_height = wrapped_height(message, width);
    const int box_top = margin + text_height + units_down(dialog, kLabelGap);
    const int buttons_top = box_top + line + units_down(dialog, kControlGap);
    const int cancel_left = margin + width - button;
    const int ok_left = cancel_left - units_across(dialog, kButtonGap) - button;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(message, nullptr, margin, margin, width, text_height, flags);
    SetWindowPos(GetDlgItem(dialog, kAnswerId), nullptr, margin, box_top, width, line, flags);
    SetWindowPos(GetDlgItem(dialog, IDOK), nullptr, ok_left, buttons_top, button, line, flags);
    SetWindowPos(GetDlgItem(dialog, IDCANCEL), nullptr, cancel_left, buttons_top, button, line,
                 flags);

    RECT frame{};
    RECT client{};
    GetWindowRect(dialog, &frame);
    GetClientRect(dialog, &client);
    const int frame_width = frame.right - frame.left - client.right + width + 2 * margin;
    const int frame_height =
        frame.bottom - frame.top - client.bottom + buttons_top + line + units_down(dialog, kMargin);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    HWND owner = GetWindow(dialog, GW_OWNER);
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
                    &screen);
    RECT over = screen.rcWork;
    if (owner != nullptr) {
        GetWindowRect(owner, &over);
    }
    const RECT& work = screen.rcWork;
    LONG left = (over.left + over.right - frame_width) / 2;
    LONG top = (over.top + over.bottom - frame_height) / 2;
    left = std::max(work.left, std::min(left, work.right - frame_width));
    top = std::max(work.top, std::min(top, work.bottom - frame_height));
    SetWindowPos(dialog, nullptr, left, top, frame_width, frame_height, flags);
}

INT_PTR CALLBACK ask_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lparam);
            lay_out(dialog);
            SendMessageW(dialog, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(dialog, kAnswerId)), TRUE);
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                HWND box = GetDlgItem(dialog, kAnswerId);
                std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
                typed.resize(static_cast<std::size_t>(
                    GetWindowTextW(box, typed.data(), static_cast<int>(typed.size()))));
                *reinterpret_cast<std::string*>(GetWindowLongPtrW(dialog, DWLP_USER)) =
                    narrow(typed);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void Win32MessageBoxes::show(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    HWND owner = shown_owner(owner_);
    UINT style = MB_OK | (icon == MessageIcon::Critical ? MB_ICONERROR : 0);
    if (owner == nullptr) {
        style |= MB_SETFOREGROUND;
    }
    MessageBoxW(owner, wide(text).c_str(), wide(caption).c_str(), style);
}

std::optional<std::string> Win32MessageBoxes::ask(const std::string& text,
                                                  const std::string& caption) {
    HWND owner = shown_owner(owner_);
    // The font MessageBoxW writes in, given in points at the system's dots per inch; the dialog
    // grows it with the screen it opens on.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    int points = 8;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
        metrics.lfMessageFont.lfHeight != 0) {
        font = metrics.lfMessageFont;
        HDC screen = GetDC(nullptr);
        points = MulDiv(std::abs(font.lfHeight), 72, GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    } else {
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy(font.lfFaceName, L"MS Shell Dlg");
    }
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    if (owner == nullptr) {
        style |= DS_SETFOREGROUND;
    }
    DialogTemplate dialog(style, wide(caption), font, points);
    // The message comes just before the box, which a screen reader then names after it.
    dialog.add(0x82, kMessageId, SS_LEFT | SS_NOPREFIX, 0, wide(text));
    dialog.add(0x81, kAnswerId, WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
               WS_EX_CLIENTEDGE, L"");
    dialog.add(0x80, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, L"OK");
    dialog.add(0x80, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 0, L"Cancel");
    std::string typed;
    if (DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, ask_procedure,
                                reinterpret_cast<LPARAM>(&typed)) != IDOK) {
        return std::nullopt;
    }
    return typed;
}

void Win32Sound::beep() {
    MessageBeep(MB_OK);
}

}  // namespace platform::win32
