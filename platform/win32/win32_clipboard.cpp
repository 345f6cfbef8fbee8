#include "platform/win32/win32_clipboard.h"

#include <commctrl.h>

#include <cstring>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

HGLOBAL global_copy(const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return nullptr;
    }
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    return memory;
}

bool set_data(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = global_copy(bytes, size);
    if (memory == nullptr) {
        return false;
    }
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

// The opened clipboard, closed again on every way out.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) {
        // Another program may hold the clipboard for a moment.
        for (int attempt = 0; attempt < 10 && !opened_; ++attempt) {
            opened_ = OpenClipboard(owner) != FALSE;
            if (!opened_) {
                Sleep(10);
            }
        }
    }
    ~OpenedClipboard() {
        if (opened_) {
            CloseClipboard();
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return opened_; }

  private:
    bool opened_ = false;
};

std::wstring selected_text(HWND box) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), length + 1)));
    if (end > text.size() || start > end) {
        return {};
    }
    return text.substr(start, end - start);
}

}  // namespace

LRESULT CALLBACK Win32Clipboard::secret_copy(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                             UINT_PTR, DWORD_PTR data) {
    if (message == WM_COPY || message == WM_CUT) {
        auto* clipboard = reinterpret_cast<Win32Clipboard*>(data);
        std::wstring selected = selected_text(box);
        if (!selected.empty() && put_secret_on_clipboard(box, selected)) {
            if (message == WM_CUT) {
                SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
            }
            // The box's own menu copies this way too: its copy is cleared in time like the
            // program's.
            if (!clipboard->copying_ && clipboard->on_secret_copied) {
                clipboard->on_secret_copied(narrow(selected), false);
            }
        }
        return 0;
    }
    return DefSubclassProc(box, message, wparam, lparam);
}

bool put_secret_on_clipboard(HWND owner, const std::wstring& text) {
    OpenedClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard()) {
        return false;
    }
    const DWORD no = 0;
    bool stored = set_data(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    set_data(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no,
             sizeof no);
    set_data(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), &no, sizeof no);
    set_data(RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), &no, sizeof no);
    return stored;
}

void Win32Clipboard::attach(HWND box) {
    box_ = box;
    SetWindowSubclass(box, secret_copy, 2, reinterpret_cast<DWORD_PTR>(this));
}

void Win32Clipboard::copy_secret(const std::string& text) {
    std::wstring password = wide(text);
    if (box_ != nullptr && selected_text(box_) == password) {
        copying_ = true;
        SendMessageW(box_, WM_COPY, 0, 0);
        copying_ = false;
    } else {
        put_secret_on_clipboard(box_, password);
    }
}

void Win32Clipboard::clear() {
    OpenedClipboard clipboard(box_);
    if (clipboard) {
        EmptyClipboard();
    }
}

std::string Win32Clipboard::text() const {
    OpenedClipboard clipboard(box_);
    if (!clipboard) {
        return {};
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) {
        return {};
    }
    const auto* characters = static_cast<const wchar_t*>(GlobalLock(data));
    if (characters == nullptr) {
        return {};
    }
    std::wstring copied(characters, wcsnlen(characters, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
    return narrow(copied);
}

}  // namespace platform::win32
