// skin/core/win_theme_wrapper.h
//
// CPlymWinThemeWrapper: the system's visual-style functions (UXTHEME.DLL)
// called by name, so that a system without them still runs: a missing library
// or function answers E_FAIL (HRESULT functions) or FALSE. The functions take
// wide strings, as the library's do. The name query's outputs always end
// inside their buffers (empty after a failure).
//
// Two process-wide tables hold the library handle and the resolved
// functions: wrappers made with kind 0 use the first, loaded once; the others
// use the second, which follows the handle GetModuleHandleA("UXTHEME.DLL")
// gives now and looks every function up again when it changes -- so that,
// while the skin serves the visual-style functions through its own pseudo
// module handle, they reach the skin.
#pragma once

#include <windows.h>

class CPlymWinThemeWrapper {
  public:
    explicit CPlymWinThemeWrapper(int tableKind = 0) : m_tableKind(tableKind) {}
    ~CPlymWinThemeWrapper() { CloseThemeData(); }
    CPlymWinThemeWrapper(const CPlymWinThemeWrapper&) = delete;
    CPlymWinThemeWrapper& operator=(const CPlymWinThemeWrapper&) = delete;

    // Opens the class list for the window (NULL allowed) and keeps the handle.
    BOOL OpenThemeData(HWND window, LPCWSTR classList);
    // Closes the handle this wrapper holds, if any.
    HRESULT CloseThemeData();
    BOOL IsOpen() const { return m_theme != nullptr; }
    HRESULT GetThemeColor(int part, int state, int propertyId, COLORREF* color);
    BOOL IsAppThemed();
    BOOL IsThemeActive();
    HRESULT GetCurrentThemeName(LPWSTR fileName,
                                int fileChars,
                                LPWSTR colorName,
                                int colorChars,
                                LPWSTR sizeName,
                                int sizeChars);

  private:
    struct Table;
    Table& GetTable();

    int m_tableKind;
    HANDLE m_theme = nullptr;  // HTHEME
};
