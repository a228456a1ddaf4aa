// tools/cli_args.h
//
// The little argument handling the tool commands share: "--name value" pairs
// and flags, and numbers parsed strictly.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vektools {

class CliArgs {
  public:
    CliArgs(int argc, char** argv) : args_(argv + 1, argv + argc) {}

    bool Done() const { return at_ >= args_.size(); }
    // The next word (an option name).
    std::string Next() { return args_[at_++]; }
    // The value of the option just taken; false when there is none.
    bool Value(std::string* out) {
        if (at_ >= args_.size())
            return false;
        *out = args_[at_++];
        return true;
    }

  private:
    std::vector<std::string> args_;
    size_t at_ = 0;
};

// Strict unsigned parse (decimal, or hex with 0x); false on junk or overflow.
inline bool ParseU64(const std::string& s, uint64_t* out) {
    if (s.empty() || s[0] == '-' || s[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const unsigned long long v = std::strtoull(s.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (!end || *end != '\0' || errno == ERANGE)
        return false;
    *out = v;
    return true;
}

template <typename T>
bool ParseUnsigned(const std::string& s, T* out, uint64_t max) {
    uint64_t v = 0;
    if (!ParseU64(s, &v) || v > max)
        return false;
    *out = static_cast<T>(v);
    return true;
}

// Splits "a:b:c" at ':'.
inline std::vector<std::string> SplitColons(const std::string& s) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = s.find(':', from);
        parts.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return parts;
        from = at + 1;
    }
}

}  // namespace vektools
