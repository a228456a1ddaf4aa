// skin/core/skin_file_text.cpp
#include "skin/core/skin_file_text.h"

#include <string_view>

namespace plym {

Utf16Lines::Utf16Lines(const void* bytes, size_t size)
    : bytes_(static_cast<const uint8_t*>(bytes)), count_(bytes != nullptr ? size / 2 : 0) {
    if (count_ > 0 && CharAt(0) == 0xFEFF)
        at_ = 1;
}

char16_t Utf16Lines::CharAt(size_t i) const {
    return static_cast<char16_t>(bytes_[i * 2] | bytes_[i * 2 + 1] << 8);
}

bool Utf16Lines::Next(std::u16string& line) {
    line.clear();
    if (at_ >= count_)
        return false;
    while (at_ < count_) {
        const char16_t c = CharAt(at_++);
        if (c == u'\r') {
            if (at_ < count_ && CharAt(at_) == u'\n')
                ++at_;
            return true;
        }
        if (c == u'\n')
            return true;
        line.push_back(c);
    }
    return true;
}

bool AnsiLines::Next(std::string& line) {
    line.clear();
    if (at_ >= text_.size())
        return false;
    while (at_ < text_.size()) {
        const char c = text_[at_++];
        if (c == '\r') {
            if (at_ < text_.size() && text_[at_] == '\n')
                ++at_;
            return true;
        }
        if (c == '\n')
            return true;
        line.push_back(c);
    }
    return true;
}

std::string DefaultIniName(const void* bytes, size_t size) {
    const auto* b = static_cast<const uint8_t*>(bytes);
    const size_t count = b != nullptr ? size / 2 : 0;
    auto at = [b](size_t i) { return static_cast<char16_t>(b[i * 2] | b[i * 2 + 1] << 8); };
    constexpr std::u16string_view kEntry = u"[File.";
    for (size_t start = 0; start + kEntry.size() <= count; ++start) {
        size_t k = 0;
        while (k < kEntry.size() && at(start + k) == kEntry[k])
            ++k;
        if (k < kEntry.size())
            continue;
        std::string name;
        for (size_t i = start + kEntry.size(); i < count; ++i) {
            const char16_t c = at(i);
            if (c == u']')
                return name + "_ini";
            name.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return {};
    }
    return {};
}

std::string ResourceNameOf(const std::string& path) {
    std::string name = path;
    for (char& c : name) {
        if (c == '.' || c == '\\')
            c = '_';
    }
    return name;
}

}  // namespace plym
