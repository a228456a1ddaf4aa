// winlib/cstring_win32.cpp
//
// The part of CString that needs the program's resources.
#include <windows.h>

#include "winlib/app.h"
#include "winlib/cstring.h"

int CString::LoadResourceString(unsigned id) {
    // The pointer form gives the resource text in place, with its length, so
    // texts of any length load whole.
    wchar_t* text = nullptr;
    const int length = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    s_.clear();
    if (length <= 0 || !text)
        return FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return FALSE;
    s_.resize(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(CP_ACP, 0, text, length, s_.data(), bytes, nullptr, nullptr);
    return TRUE;
}
