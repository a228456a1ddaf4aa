// winlib/cstring.cpp
#include "winlib/cstring.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kWhitespace = " \t\r\n\v\f";

char Fold(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

size_t Clamp(int value, size_t limit) {
    if (value < 0)
        return 0;
    return std::min(static_cast<size_t>(value), limit);
}

}  // namespace

CString::CString(const char* text, int length) {
    if (text && length > 0)
        s_.assign(text, strnlen(text, static_cast<size_t>(length)));
}

char CString::GetAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= s_.size())
        return '\0';
    return s_[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char c) {
    if (index >= 0 && static_cast<size_t>(index) < s_.size())
        s_[static_cast<size_t>(index)] = c;
}

CString& CString::operator=(const char* text) {
    s_ = text ? text : "";
    return *this;
}

CString& CString::operator+=(const CString& more) {
    s_ += more.s_;
    return *this;
}

CString& CString::operator+=(const char* more) {
    if (more)
        s_ += more;
    return *this;
}

CString& CString::operator+=(char c) {
    s_ += c;
    return *this;
}

void CString::Append(const char* more, int length) {
    if (more && length > 0)
        s_.append(more, strnlen(more, static_cast<size_t>(length)));
}

void CString::FormatV(const char* format, va_list args) {
    s_.clear();
    if (!format)
        return;
    va_list probe;
    va_copy(probe, args);
    const int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (needed <= 0)
        return;
    s_.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(s_.data(), s_.size(), format, args);
    s_.resize(static_cast<size_t>(needed));
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    CString more;
    va_list args;
    va_start(args, format);
    more.FormatV(format, args);
    va_end(args);
    s_ += more.s_;
}

int CString::Compare(const char* other) const {
    return s_.compare(other ? other : "");
}

int CString::CompareNoCase(const char* other) const {
    const char* a = s_.c_str();
    const char* b = other ? other : "";
    for (;; ++a, ++b) {
        const char ca = Fold(*a), cb = Fold(*b);
        if (ca != cb || ca == '\0')
            return static_cast<unsigned char>(ca) - static_cast<unsigned char>(cb);
    }
}

CString CString::Left(int count) const {
    return CString(s_.substr(0, Clamp(count, s_.size())));
}

CString CString::Right(int count) const {
    const size_t n = Clamp(count, s_.size());
    return CString(s_.substr(s_.size() - n));
}

CString CString::Mid(int first) const {
    return CString(s_.substr(Clamp(first, s_.size())));
}

CString CString::Mid(int first, int count) const {
    const size_t start = Clamp(first, s_.size());
    return CString(s_.substr(start, Clamp(count, s_.size() - start)));
}

int CString::Find(char c, int start) const {
    if (start < 0 || static_cast<size_t>(start) > s_.size())
        return -1;
    const size_t at = s_.find(c, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || static_cast<size_t>(start) > s_.size())
        return -1;
    const size_t at = s_.find(sub, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char c) const {
    const size_t at = s_.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const char* chars) const {
    if (!chars || !*chars)
        return -1;
    const size_t at = s_.find_first_of(chars);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(char from, char to) {
    int count = 0;
    for (char& c : s_) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from)
        return 0;
    const std::string needle(from), replacement(to ? to : "");
    int count = 0;
    for (size_t at = s_.find(needle); at != std::string::npos;
         at = s_.find(needle, at + replacement.size())) {
        s_.replace(at, needle.size(), replacement);
        ++count;
    }
    return count;
}

int CString::Remove(char c) {
    const size_t before = s_.size();
    s_.erase(std::remove(s_.begin(), s_.end(), c), s_.end());
    return static_cast<int>(before - s_.size());
}

int CString::Insert(int index, const char* text) {
    if (text)
        s_.insert(Clamp(index, s_.size()), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && count > 0 && static_cast<size_t>(index) < s_.size())
        s_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::MakeUpper() {
    for (char& c : s_)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower() {
    for (char& c : s_)
        c = Fold(c);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(s_.begin(), s_.end());
    return *this;
}

CString& CString::Trim() {
    return Trim(kWhitespace);
}
CString& CString::TrimLeft() {
    return TrimLeft(kWhitespace);
}
CString& CString::TrimRight() {
    return TrimRight(kWhitespace);
}

CString& CString::Trim(const char* chars) {
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft(const char* chars) {
    if (!chars)
        return *this;
    const size_t first = s_.find_first_not_of(chars);
    s_.erase(0, first == std::string::npos ? s_.size() : first);
    return *this;
}

CString& CString::TrimRight(const char* chars) {
    if (!chars)
        return *this;
    const size_t last = s_.find_last_not_of(chars);
    s_.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString CString::Tokenize(const char* delims, int& position) const {
    if (position < 0 || !delims) {
        position = -1;
        return CString();
    }
    const size_t start = s_.find_first_not_of(delims, static_cast<size_t>(position));
    if (start == std::string::npos) {
        position = -1;
        return CString();
    }
    size_t stop = s_.find_first_of(delims, start);
    if (stop == std::string::npos)
        stop = s_.size();
    position = static_cast<int>(std::min(stop + 1, s_.size() + 1));
    return CString(s_.substr(start, stop - start));
}

char* CString::GetBuffer(int minLength) {
    if (minLength > 0 && static_cast<size_t>(minLength) > s_.size())
        s_.resize(static_cast<size_t>(minLength));
    return s_.data();
}

char* CString::GetBufferSetLength(int length) {
    s_.resize(length > 0 ? static_cast<size_t>(length) : 0u);
    return s_.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        s_.resize(strnlen(s_.c_str(), s_.size()));
    } else {
        s_.resize(std::min(static_cast<size_t>(newLength), s_.size()));
    }
}
