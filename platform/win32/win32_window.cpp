#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include "app/frm_main.h"
#include "app/inventory.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_window_art.h"
#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;

}  // namespace

Win32Window::Win32Window() = default;

Win32Window::~Win32Window() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (auto& [name, menu] : menus_) {
        DestroyMenu(menu);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(link_font_),
                           static_cast<HGDIOBJ>(tab_background_)}) {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
    for (HICON icon : {icon_, small_icon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

bool Win32Window::init_common_controls() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES |
                                                     ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_BAR_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
}

void Win32Window::build(app::frmMain& form) {
    form_ = &form;
    plan_.emplace(form.controls());
    create_window();
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    make_fonts();
    for (std::size_t index = 0; index < plan_->size(); ++index) {
        app::Control& control = *(*plan_)[index].control;
        natives_.push_back({&control, nullptr});
        if (control.kind() == app::ControlKind::MenuItem) {
            create_menu_item(control);
        } else {
            by_name_[control.name()] = index;
        }
    }
    create_controls(form.SSTab1.value());
    size_window();
    form.set_observer(this);
    if (!plan_->focus_order().empty()) {
        focus_ = natives_[plan_->focus_order().front()].handle;
    }
}

void Win32Window::create_controls(int tab) {
    // Only the controls of the tab shown are made at start-up, the others when their tab first
    // shows. Each is made where it belongs, in its place in the stacking and as it starts, so
    // that nothing is moved, restacked or shown afterwards.
    const int shown = tabs_ != nullptr ? static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0))
                                       : form_->SSTab1.value();
    // The first controls are made top first, each going below those made before it; later
    // ones are put in their place under the control above them.
    const bool restack = tabs_ != nullptr;
    HWND above = HWND_TOP;
    for (std::size_t index : plan_->stacking()) {
        Native& native = natives_[index];
        const app::Control& control = *native.control;
        if (native.handle != nullptr) {
            above = native.handle;
            continue;
        }
        if (!plan_->shown_on(index, tab)) {
            continue;
        }
        DWORD style = (*plan_)[index].starts_group ? WS_GROUP : 0;
        if (plan_->shown_on(index, shown)) {
            style |= WS_VISIBLE;
        }
        if (!control.enabled()) {
            style |= WS_DISABLED;
        }
        int id = kFirstControlId + static_cast<int>(index);
        native.handle = create_control(window_, control, id, placement(native), style);
        if (restack) {
            SetWindowPos(native.handle, above, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
        above = native.handle;
        finish_control(native);
    }
}

void Win32Window::make_accessible(Native& native) {
    const std::size_t index = index_of(native);
    app::Control* control = native.control;
    native.accessible = std::make_unique<AccessibleSource>();
    native.accessible->describe = [this, index] {
        return app::accessible_control(*plan_, index, form_->spoken_texts());
    };
    if (control->kind() == app::ControlKind::Meter) {
        native.accessible->value = [control] { return std::to_string(control->value()); };
    } else if (control->kind() == app::ControlKind::ListBox) {
        native.accessible->item_text = [control](int item) {
            return control->items().shown(static_cast<std::size_t>(item));
        };
    } else if (control->kind() == app::ControlKind::UpDown) {
        const app::SpokenTexts& texts = form_->spoken_texts();
        native.accessible->part_names = {texts[app::kSpinUpKey], texts[app::kSpinDownKey]};
    }
    win32::make_accessible(native.handle, native.accessible.get());
}

void Win32Window::create_all_controls() {
    if (all_created_) {
        return;
    }
    const int tabs = static_cast<int>(app::tab_captions().size());
    for (int tab = 0; tab < tabs; ++tab) {
        create_controls(tab);
    }
    all_created_ = true;
}

void Win32Window::finish_control(Native& native) {
    const app::Control& control = *native.control;
    by_handle_[native.handle] = static_cast<std::size_t>(&native - natives_.data());
    SendMessageW(native.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(native)), FALSE);
    if (!control.tooltip().empty()) {
        add_tooltip(native.handle, control.tooltip());
    }
    make_accessible(native);
    switch (control.kind()) {
        case app::ControlKind::TabControl:
            tabs_ = native.handle;
            [[fallthrough]];
        case app::ControlKind::TextBox:
        case app::ControlKind::Frame:
            SetWindowSubclass(native.handle, control_procedure, 1,
                              reinterpret_cast<DWORD_PTR>(this));
            break;
        case app::ControlKind::Label:
            if (planned(native).link) {
                SetWindowSubclass(native.handle, control_procedure, 1,
                                  reinterpret_cast<DWORD_PTR>(this));
            }
            break;
        case app::ControlKind::UpDown:
            // The up-down control steps the length box beside it, also with the arrow keys. It
            // narrows itself on creation, so it is put back in its place.
            SendMessageW(native.handle, UDM_SETBUDDY,
                         reinterpret_cast<WPARAM>(control_handle("intUzunluk")), 0);
            place(native);
            break;
        case app::ControlKind::ListBox:
            set_item_height(native.handle);
            mirror(native, app::Property::Items);
            if (control.list_index() >= 0) {
                show_property(native.handle, control, app::Property::ListIndex);
            }
            break;
        default:
            break;
    }
    if (control.value() != 0 && control.kind() != app::ControlKind::TabControl) {
        show_property(native.handle, control, app::Property::Value);
    }
}

void Win32Window::create_menu_item(app::Control& control) {
    HMENU& menu = menus_[control.definition().container];
    if (menu == nullptr) {
        menu = CreatePopupMenu();
    }
    UINT id = kFirstMenuId + static_cast<UINT>(menu_items_.size());
    AppendMenuW(menu, MF_STRING, id, wide(control.caption()).c_str());
    menu_items_[id] = &control;
}

void Win32Window::add_tooltip(HWND control, const std::string& text) {
    std::wstring tip = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tip.data();
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::remove_tooltip(HWND control) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::show_tab(int index) {
    if (tabs_ != nullptr && SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != index) {
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    create_controls(index);
    auto shown_on = [this, index](const Native& native) {
        return plan_->shown_on(index_of(native), index);
    };
    if (Native* focused = find(GetFocus()); focused != nullptr && !shown_on(*focused)) {
        SetFocus(tabs_);
    }
    // The page is painted once, when all of it has changed. Turning drawing off and on again
    // also clears and sets the window's visible style, so that is done on a shown window only.
    const bool shown_window = IsWindowVisible(window_) != FALSE;
    if (shown_window) {
        SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    }
    for (const auto& native : natives_) {
        bool shown = shown_on(native);
        if (native.handle != nullptr &&
            shown != ((GetWindowLongPtrW(native.handle, GWL_STYLE) & WS_VISIBLE) != 0)) {
            ShowWindow(native.handle, shown ? SW_SHOWNA : SW_HIDE);
        }
    }
    if (shown_window) {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

HWND Win32Window::control_handle(const std::string& name) {
    auto found = by_name_.find(name);
    if (found == by_name_.end()) {
        return nullptr;
    }
    Native& native = natives_[found->second];
    if (native.handle == nullptr && window_ != nullptr) {
        create_controls(native.control->definition().tab);
    }
    return native.handle;
}

Win32Window::Native* Win32Window::find(HWND handle) {
    auto found = by_handle_.find(handle);
    return found == by_handle_.end() ? nullptr : &natives_[found->second];
}

void Win32Window::property_changed(const app::Control& control, app::Property property) {
    auto found = by_name_.find(control.name());
    if (found != by_name_.end()) {
        mirror(natives_[found->second], property);
    }
}

void Win32Window::mirror(const Native& native, app::Property property) {
    if (native.handle == nullptr) {
        return;  // made later, as the model has it then
    }
    // Changes made here come from the model and go back to it as no event.
    bool was_mirroring = mirroring_;
    mirroring_ = true;
    const app::Control& control = *native.control;
    if (control.kind() == app::ControlKind::TabControl && property == app::Property::Value) {
        show_tab(control.value());
    } else if (property == app::Property::Items) {
        if (control.kind() == app::ControlKind::ListBox) {
            SendMessageW(native.handle, LB_SETCOUNT, control.items().size(), 0);
        }
    } else if (property == app::Property::Background) {
        InvalidateRect(native.handle, nullptr, TRUE);
    } else if (property == app::Property::ToolTip) {
        remove_tooltip(native.handle);
        if (!control.tooltip().empty()) {
            add_tooltip(native.handle, control.tooltip());
        }
    } else {
        show_property(native.handle, control, property);
    }
    mirroring_ = was_mirroring;
}

}  // namespace platform::win32
