// winlib/cstring.h
//
// CString: the program's ANSI string, a thin value type over std::string with
// the operations the dialogs use (Format, Left/Mid/Right, Find, Trim, ...).
//
// It stands in for the class library's string class. Deliberately not done:
// wide strings, reference counting, locale-aware comparison. Every position and
// length is an int, as the dialogs pass them; positions out of range are
// clamped, never undefined. Portable: no Windows header is needed here, except
// LoadString, which is defined by the Windows build only (winlib/cstring_win32.cpp).
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
  public:
    CString() = default;
    CString(const char* text) : s_(text ? text : "") {}  // NOLINT: implicit, as callers expect
    CString(const char* text, int length);
    CString(char c, int repeat = 1) : s_(repeat > 0 ? static_cast<size_t>(repeat) : 0u, c) {}
    CString(std::string text) : s_(std::move(text)) {}  // NOLINT
    CString(std::string_view text) : s_(text) {}        // NOLINT

    // The text, NUL-terminated, valid until the next change.
    operator const char*() const { return s_.c_str(); }  // NOLINT
    const char* GetString() const { return s_.c_str(); }
    const std::string& str() const { return s_; }

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }

    char GetAt(int index) const;
    void SetAt(int index, char c);
    char operator[](int index) const { return GetAt(index); }

    CString& operator=(const char* text);
    CString& operator+=(const CString& more);
    CString& operator+=(const char* more);
    CString& operator+=(char c);
    void Append(const char* more, int length);

    // printf-style formatting; replaces the contents. A NULL format gives "".
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Comparison: Compare and CompareNoCase return <0, 0, >0 (ASCII case folding).
    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Index of the first match at or after `start`, or -1.
    int Find(char c, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char c) const;
    int FindOneOf(const char* chars) const;

    // Number of replacements made.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    int Remove(char c);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(const char* chars);
    CString& TrimLeft(const char* chars);
    CString& TrimRight(const char* chars);

    // Tokenize: the next token delimited by any of `delims`, starting at
    // `position`, which is advanced past it; at the end position is -1 and the
    // result empty.
    CString Tokenize(const char* delims, int& position) const;

    // Direct buffer access for API calls that fill a char array. GetBuffer
    // makes room for at least minLength characters plus the NUL; ReleaseBuffer
    // cuts at `newLength`, or at the first NUL when it is -1.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // Loads string `id` from the resource module (Windows build only). FALSE,
    // and an empty string, when the id does not exist. Both spellings exist
    // because <windows.h> may or may not have renamed LoadString to
    // LoadStringA in the including file.
    int LoadResourceString(unsigned id);
#pragma push_macro("LoadString")
#undef LoadString
    int LoadString(unsigned id) {
        return LoadResourceString(id);
    }
#pragma pop_macro("LoadString")
    int LoadStringA(unsigned id) {
        return LoadResourceString(id);
    }

    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.s_ + b.s_);
    }
    friend CString operator+(const CString& a, const char* b) {
        return CString(a.s_ + (b ? b : ""));
    }
    friend CString operator+(const char* a, const CString& b) {
        return CString((a ? a : "") + b.s_);
    }
    friend CString operator+(const CString& a, char b) {
        return CString(a.s_ + b);
    }
    friend bool operator==(const CString& a, const CString& b) {
        return a.s_ == b.s_;
    }
    friend bool operator==(const CString& a, const char* b) {
        return a.s_ == (b ? b : "");
    }
    friend bool operator<(const CString& a, const CString& b) {
        return a.s_ < b.s_;
    }

  private:
    std::string s_;
};
