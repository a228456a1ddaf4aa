// skin/core/skin_file_text.h
//
// The text side of a skin file, without Windows: the INI text of a skin
// module (a UTF-16 little-endian resource, not NUL-terminated, read line by
// line strictly inside its bytes), the default INI name a module names in its
// THEMES_INI resource, and how a path becomes a resource name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plym {

// Lines of UTF-16LE text held in `size` bytes (an odd last byte is ignored).
// A leading byte-order mark is skipped. A line ends at CR, LF or CR LF; the
// last line is returned even without a line end; text that ends with a line
// end has no empty line after it.
class Utf16Lines {
  public:
    Utf16Lines() = default;
    Utf16Lines(const void* bytes, size_t size);

    // The next line without its line end; false at the end of the text.
    bool Next(std::u16string& line);
    bool AtEnd() const { return at_ >= count_; }

  private:
    char16_t CharAt(size_t i) const;

    const uint8_t* bytes_ = nullptr;
    size_t count_ = 0;  // characters
    size_t at_ = 0;
};

// Lines of 8-bit text (a folder skin's INI file), split as Utf16Lines does.
class AnsiLines {
  public:
    AnsiLines() = default;
    explicit AnsiLines(std::string text) : text_(std::move(text)) {}
    bool Next(std::string& line);

  private:
    std::string text_;
    size_t at_ = 0;
};

// The INI name the THEMES_INI text gives: the text after the first "[File."
// up to the next ']', followed by "_ini" ("[File.NormalBlack]" gives
// "NormalBlack_ini"). Empty when there is no such entry inside the bytes.
// Characters outside ASCII become '?'.
std::string DefaultIniName(const void* bytes, size_t size);

// A path as a resource name: every '.' and '\' becomes '_'
// ("images\caption.bmp" is "images_caption_bmp").
std::string ResourceNameOf(const std::string& path);

}  // namespace plym
