#pragma once

#include <windows.h>

#include <string>

#include "platform/clipboard.h"

namespace platform::win32 {

// The clipboard, filled by the password box's own copy (WM_COPY) of its selection. The box
// marks what it copies or cuts so that clipboard history, cloud clipboard and clipboard monitors
// skip it.
class Win32Clipboard : public Clipboard {
  public:
    // The edit box whose selection the program copies.
    void attach(HWND box);
    void copy_secret(const std::string& text) override;
    std::string text() const override;
    void clear() override;

  private:
    static LRESULT CALLBACK secret_copy(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR data);
    HWND box_ = nullptr;
    bool copying_ = false;
};

// Replaces the clipboard's content with `text`, marked as a secret, in one go. False when the
// clipboard could not be opened or filled.
bool put_secret_on_clipboard(HWND owner, const std::wstring& text);

}  // namespace platform::win32
