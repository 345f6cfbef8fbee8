#include "platform/win32/win32_text_encoding.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

bool Win32TextEncoding::can_encode(std::string_view code_point) const {
    std::wstring text = wide(code_point);
    if (text.empty()) {
        return false;
    }
    if (::GetACP() == CP_UTF8) {
        return true;
    }
    BOOL used_default = FALSE;
    int length =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                              static_cast<int>(text.size()), nullptr, 0, nullptr, &used_default);
    return length > 0 && !used_default;
}

}  // namespace platform::win32
