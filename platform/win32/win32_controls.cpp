#include "platform/win32/win32_controls.h"

#include <commctrl.h>

#include <string>

#include "app/inventory.h"
#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

struct NativeClass {
    const wchar_t* name;
    DWORD style;
    DWORD extended_style;
};

NativeClass native_class(app::ControlKind kind) {
    using K = app::ControlKind;
    // Every control clips its siblings: controls lie on the tab control and frames, and those
    // must not paint over them.
    constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
    switch (kind) {
        case K::Picture:
            return {L"STATIC", kChild | SS_OWNERDRAW, 0};
        case K::TabControl:
            return {WC_TABCONTROLW, kChild | WS_TABSTOP, 0};
        case K::Frame:
            return {L"BUTTON", kChild | BS_GROUPBOX, 0};
        case K::Container:
            return {L"STATIC", kChild, 0};
        case K::OptionButton:
            // The model chooses and clears options, as the containers group them.
            return {L"BUTTON", kChild | WS_TABSTOP | BS_RADIOBUTTON | BS_MULTILINE, 0};
        case K::CheckBox:
            return {L"BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, 0};
        case K::TextBox:
            return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case K::ListBox:
            // No data of its own: the items are drawn from the model, so a million cost nothing.
            return {L"LISTBOX",
                    kChild | WS_TABSTOP | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED |
                        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case K::UpDown:
            return {UPDOWN_CLASSW, kChild | UDS_ARROWKEYS | UDS_HOTTRACK, 0};
        case K::Button:
            return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
        case K::Label:
            return {L"STATIC", kChild | SS_NOTIFY | SS_LEFT | SS_NOPREFIX, 0};
        case K::Meter:
            // SS_NOTIFY lets the pointer reach it, so that its tooltip shows.
            return {L"STATIC", kChild | SS_OWNERDRAW | SS_NOTIFY, 0};
        case K::MenuItem:
            break;
    }
    return {L"STATIC", kChild, 0};
}

}  // namespace

HWND create_control(HWND parent, const app::Control& control, int id, const RECT& place,
                    DWORD style) {
    NativeClass native = native_class(control.kind());
    std::wstring caption = control.kind() == app::ControlKind::TextBox ? wide(control.text())
                                                                       : wide(control.caption());
    // The window needs no word of its controls' creation, which costs a message each.
    HWND created =
        CreateWindowExW(native.extended_style | WS_EX_NOPARENTNOTIFY, native.name, caption.c_str(),
                        native.style | style, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, parent, reinterpret_cast<HMENU>(INT_PTR{id}),
                        GetModuleHandleW(nullptr), nullptr);
    if (created == nullptr) {
        return nullptr;
    }
    if (control.kind() == app::ControlKind::TabControl) {
        int index = 0;
        for (const auto& tab : app::tab_captions()) {
            std::wstring text = wide(tab);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(created, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(created, TCM_SETCURSEL, static_cast<WPARAM>(control.value()), 0);
    } else if (control.kind() == app::ControlKind::UpDown) {
        SendMessageW(created, UDM_SETRANGE32, 1, 50);
    }
    return created;
}

void show_property(HWND native, const app::Control& control, app::Property property) {
    using P = app::Property;
    using K = app::ControlKind;
    switch (property) {
        case P::Caption:
            if (control.kind() != K::TextBox && control.kind() != K::TabControl) {
                SetWindowTextW(native, wide(control.caption()).c_str());
            }
            break;
        case P::Text:
            if (control.kind() == K::TextBox && window_text(native) != control.text()) {
                SetWindowTextW(native, wide(control.text()).c_str());
            }
            break;
        case P::Value:
            if (control.kind() == K::CheckBox || control.kind() == K::OptionButton) {
                SendMessageW(native, BM_SETCHECK,
                             control.value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            } else if (control.kind() == K::Meter) {
                InvalidateRect(native, nullptr, TRUE);
            }
            break;
        case P::Enabled:
            EnableWindow(native, control.enabled());
            break;
        case P::Selection:
            if (control.kind() == K::TextBox) {
                std::wstring text = wide(control.text());
                std::size_t start = utf16_offset(text, control.selection_start());
                std::size_t end =
                    utf16_offset(text, control.selection_start() + control.selection_length());
                SendMessageW(native, EM_SETSEL, start, end);
            }
            break;
        case P::ListIndex:
            if (control.kind() == K::ListBox) {
                SendMessageW(native, LB_SETCURSEL, static_cast<WPARAM>(control.list_index()), 0);
            }
            break;
        case P::Background:
        case P::Items:
        case P::ToolTip:
            break;
    }
}

std::string window_text(HWND native) {
    int length = GetWindowTextLengthW(native);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(native, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return narrow(text);
}

}  // namespace platform::win32
