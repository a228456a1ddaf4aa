// tests/skin/skin_test_support.h
//
// What the skin tests share: INI text fed to the schema line by line, from a
// string or a file, and the schema key taken apart again.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "skin/core/frame_geometry.h"
#include "skin/core/schema_store.h"

namespace skintest {

// Lines of a text, with CR LF or LF line ends.
class TextLines : public plym::LineSource {
  public:
    explicit TextLines(const std::string& text) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines_.push_back(line);
        }
    }
    bool ReadLine(std::string* line) override {
        if (next_ >= lines_.size())
            return false;
        *line = lines_[next_++];
        return true;
    }

  private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A schema parsed from INI text.
inline void Parse(plym::SchemaStore* store, const std::string& text) {
    TextLines lines(text);
    store->ReadProperties(lines);
}

struct KeyParts {
    int classCode;
    int part;
    int state;
};

// The class, part and state of a section's base key.
inline KeyParts SplitKey(uint32_t key) {
    const uint32_t section = key >> 14;
    return {static_cast<int>(section % 64), static_cast<int>((section / 64) % 64),
            static_cast<int>(section / 4096)};
}

// A horizontal bar 100 long and `thickness` across, range 0..100 with page
// 10, arrows as long as the bar is thick, the thumb where it is given.
inline plym::ScrollBarPosInfo HorizontalBar(int thickness, int thumbStart, int thumbEnd) {
    plym::ScrollBarPosInfo bar;
    bar.maximum = 100;
    bar.page = 10;
    bar.barEnd = 100;
    bar.crossEnd = thickness;
    bar.trackStart = thickness;
    bar.trackEnd = 100 - thickness;
    bar.thumbStart = thumbStart;
    bar.thumbEnd = thumbEnd;
    bar.barRect = {0, 0, 100, thickness};
    return bar;
}

}  // namespace skintest
