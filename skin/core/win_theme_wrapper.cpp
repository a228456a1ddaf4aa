// skin/core/win_theme_wrapper.cpp
#include "skin/core/win_theme_wrapper.h"

#include "skin/core/theme_names.h"

struct CPlymWinThemeWrapper::Table {
    HMODULE library = nullptr;
    bool loaded = false;  // the first table loads the library once
    FARPROC open = nullptr;
    FARPROC close = nullptr;
    FARPROC color = nullptr;
    FARPROC appThemed = nullptr;
    FARPROC active = nullptr;
    FARPROC names = nullptr;
    bool openLooked = false, closeLooked = false, colorLooked = false, appThemedLooked = false,
         activeLooked = false, namesLooked = false;

    void Forget() { *this = Table{library, loaded}; }

    // The function, looked up on first use.
    template <typename Fn>
    Fn Get(FARPROC* slot, bool* looked, const char* name) {
        if (!*looked) {
            *looked = true;
            *slot = library ? GetProcAddress(library, name) : nullptr;
        }
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(*slot));
    }
};

CPlymWinThemeWrapper::Table& CPlymWinThemeWrapper::GetTable() {
    static Table first;
    static Table second;
    if (m_tableKind == 0) {
        if (!first.loaded) {
            first.loaded = true;
            first.library = LoadLibraryA("UXTHEME.DLL");
        }
        return first;
    }
    if (!second.loaded) {
        second.loaded = true;
        second.library = LoadLibraryA("UXTHEME.DLL");
    }
    const HMODULE now = GetModuleHandleA("UXTHEME.DLL");
    if (now != second.library) {
        second.library = now;
        second.Forget();
    }
    return second;
}

BOOL CPlymWinThemeWrapper::OpenThemeData(HWND window, LPCWSTR classList) {
    CloseThemeData();
    Table& table = GetTable();
    using Fn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    const Fn open = table.Get<Fn>(&table.open, &table.openLooked, "OpenThemeData");
    m_theme = open ? open(window, classList) : nullptr;
    return m_theme != nullptr;
}

HRESULT CPlymWinThemeWrapper::CloseThemeData() {
    if (!m_theme)
        return S_OK;
    Table& table = GetTable();
    using Fn = HRESULT(WINAPI*)(HANDLE);
    const Fn close = table.Get<Fn>(&table.close, &table.closeLooked, "CloseThemeData");
    const HRESULT result = close ? close(m_theme) : E_FAIL;
    m_theme = nullptr;
    return result;
}

HRESULT CPlymWinThemeWrapper::GetThemeColor(int part, int state, int propertyId, COLORREF* color) {
    Table& table = GetTable();
    using Fn = HRESULT(WINAPI*)(HANDLE, int, int, int, COLORREF*);
    const Fn get = table.Get<Fn>(&table.color, &table.colorLooked, "GetThemeColor");
    return get && m_theme ? get(m_theme, part, state, propertyId, color) : E_FAIL;
}

BOOL CPlymWinThemeWrapper::IsAppThemed() {
    Table& table = GetTable();
    using Fn = BOOL(WINAPI*)();
    const Fn get = table.Get<Fn>(&table.appThemed, &table.appThemedLooked, "IsAppThemed");
    return get ? get() : FALSE;
}

BOOL CPlymWinThemeWrapper::IsThemeActive() {
    Table& table = GetTable();
    using Fn = BOOL(WINAPI*)();
    const Fn get = table.Get<Fn>(&table.active, &table.activeLooked, "IsThemeActive");
    return get ? get() : FALSE;
}

HRESULT CPlymWinThemeWrapper::GetCurrentThemeName(LPWSTR fileName,
                                                  int fileChars,
                                                  LPWSTR colorName,
                                                  int colorChars,
                                                  LPWSTR sizeName,
                                                  int sizeChars) {
    Table& table = GetTable();
    using Fn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    const Fn get = table.Get<Fn>(&table.names, &table.namesLooked, "GetCurrentThemeName");
    const auto query = [get](LPWSTR a, int na, LPWSTR b, int nb, LPWSTR c, int nc) -> HRESULT {
        return get ? get(a, na, b, nb, c, nc) : E_FAIL;
    };
    return plym::QueryThemeNames(query, fileName, fileChars, colorName, colorChars, sizeName, sizeChars);
}
