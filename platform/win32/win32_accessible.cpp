#include "platform/win32/win32_accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

BSTR to_bstr(const std::string& text) {
    std::wstring converted = wide(text);
    return SysAllocStringLen(converted.data(), static_cast<UINT>(converted.size()));
}

bool is_self(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard object of the control's class, with what the window knows put in its place.
class Proxy final : public IAccessible {
  public:
    Proxy(HWND control, IAccessible* standard, const AccessibleSource& source)
        : control_(control), standard_(standard), source_(source) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            standard_->Release();
            delete this;
        }
        return left;
    }

    // IDispatch: MSAA clients call the methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: what the window knows
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (is_self(child)) {
            *name = to_bstr(source_.describe().name);
            return S_OK;
        }
        if (int item = list_item(child); item >= 0) {
            *name = to_bstr(source_.item_text(item));
            return S_OK;
        }
        if (int part = part_of(child); part >= 0) {
            *name = to_bstr(source_.part_names[static_cast<std::size_t>(part)]);
            return S_OK;
        }
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!is_self(child)) {
            return standard_->get_accDescription(child, description);
        }
        std::string text = source_.describe().description;
        *description = text.empty() ? nullptr : to_bstr(text);
        return text.empty() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (is_self(child)) {
            role->vt = VT_I4;
            role->lVal = msaa_role(source_.describe().role);
            return S_OK;
        }
        if (list_item(child) >= 0 || part_of(child) >= 0) {
            role->vt = VT_I4;
            role->lVal = list_item(child) >= 0 ? ROLE_SYSTEM_LISTITEM : ROLE_SYSTEM_PUSHBUTTON;
            return S_OK;
        }
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (is_self(child) && source_.value) {
            *value = to_bstr(source_.value());
            return S_OK;
        }
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (source_.item_text) {
            *count = static_cast<long>(SendMessageW(control_, LB_GETCOUNT, 0, 0));
            return S_OK;
        }
        if (!source_.part_names.empty()) {
            *count = static_cast<long>(source_.part_names.size());
            return S_OK;
        }
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        int item = list_item(child);
        if (item < 0) {
            return standard_->get_accState(child, state);
        }
        state->vt = VT_I4;
        state->lVal = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (SendMessageW(control_, LB_GETCURSEL, 0, 0) == item) {
            state->lVal |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!source_.item_text) {
            return standard_->get_accSelection(selection);
        }
        LRESULT selected = SendMessageW(control_, LB_GETCURSEL, 0, 0);
        selection->vt = selected == LB_ERR ? VT_EMPTY : VT_I4;
        selection->lVal = static_cast<long>(selected) + 1;
        return selected == LB_ERR ? S_FALSE : S_OK;
    }

    // IAccessible: the rest as the standard object has it
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    // The row a child id names (from 1), or -1.
    int list_item(const VARIANT& child) const {
        if (!source_.item_text || child.vt != VT_I4 || child.lVal <= 0 ||
            child.lVal > SendMessageW(control_, LB_GETCOUNT, 0, 0)) {
            return -1;
        }
        return static_cast<int>(child.lVal) - 1;
    }

    // The part a child id names (from 1), or -1.
    int part_of(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal <= 0 ||
            child.lVal > static_cast<long>(source_.part_names.size())) {
            return -1;
        }
        return static_cast<int>(child.lVal) - 1;
    }

    LONG references_ = 1;
    HWND control_;
    IAccessible* standard_;
    const AccessibleSource& source_;
};

LRESULT CALLBACK accessible_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR data) {
    const auto& source = *reinterpret_cast<const AccessibleSource*>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT) {
        // The object goes to the reader marshalled, which takes COM on this thread; only a
        // program that a reader asks starts it.
        static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        (void)com;
        IAccessible* standard = nullptr;
        if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard)))) {
            return DefSubclassProc(control, message, wparam, lparam);
        }
        auto* proxy = new Proxy(control, standard, source);
        LRESULT result = LresultFromObject(__uuidof(IAccessible), wparam, proxy);
        proxy->Release();
        return result;
    }
    // A list without data of its own gives its rows' text to whoever asks, screen readers too.
    if (source.item_text && (message == LB_GETTEXT || message == LB_GETTEXTLEN)) {
        int count = static_cast<int>(DefSubclassProc(control, LB_GETCOUNT, 0, 0));
        if (static_cast<int>(wparam) < 0 || static_cast<int>(wparam) >= count) {
            return LB_ERR;
        }
        std::wstring text = wide(source.item_text(static_cast<int>(wparam)));
        if (message == LB_GETTEXT) {
            text.copy(reinterpret_cast<wchar_t*>(lparam), text.size());
            reinterpret_cast<wchar_t*>(lparam)[text.size()] = L'\0';
        }
        return static_cast<LRESULT>(text.size());
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

long msaa_role(app::AccessibleRole role) {
    using R = app::AccessibleRole;
    switch (role) {
        case R::Graphic:
            return ROLE_SYSTEM_GRAPHIC;
        case R::PageTabList:
            return ROLE_SYSTEM_PAGETABLIST;
        case R::Grouping:
            return ROLE_SYSTEM_GROUPING;
        case R::Pane:
            return ROLE_SYSTEM_PANE;
        case R::RadioButton:
            return ROLE_SYSTEM_RADIOBUTTON;
        case R::CheckBox:
            return ROLE_SYSTEM_CHECKBUTTON;
        case R::Text:
            return ROLE_SYSTEM_TEXT;
        case R::List:
            return ROLE_SYSTEM_LIST;
        case R::SpinButton:
            return ROLE_SYSTEM_SPINBUTTON;
        case R::PushButton:
            return ROLE_SYSTEM_PUSHBUTTON;
        case R::Label:
            return ROLE_SYSTEM_STATICTEXT;
        case R::Link:
            return ROLE_SYSTEM_LINK;
        case R::ProgressBar:
            return ROLE_SYSTEM_PROGRESSBAR;
        case R::MenuItem:
            break;
    }
    return ROLE_SYSTEM_MENUITEM;
}

void make_accessible(HWND control, const AccessibleSource* source) {
    SetWindowSubclass(control, accessible_procedure, 3, reinterpret_cast<DWORD_PTR>(source));
}

}  // namespace platform::win32
