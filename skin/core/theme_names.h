// skin/core/theme_names.h
//
// The text outputs of the visual-style name query (GetCurrentThemeName): three
// caller buffers of wide characters with their sizes in characters. Whatever
// fills them, the caller gets strings that end inside their buffers: a text
// longer than its buffer is cut and terminated, and a failed query leaves
// empty strings. Templates over the character type, so that the same code is
// tested natively and serves WCHAR buffers on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plym {

// Copies as much of `text` as fits into `buffer` (`chars` characters, the
// terminating NUL included) and terminates it. Nothing for a NULL or empty
// buffer.
template <typename Char>
void CopyThemeName(Char* buffer, int chars, std::basic_string_view<Char> text) {
    if (!buffer || chars <= 0)
        return;
    const size_t room = static_cast<size_t>(chars) - 1;
    const size_t count = text.size() < room ? text.size() : room;
    for (size_t i = 0; i < count; ++i)
        buffer[i] = text[i];
    buffer[count] = Char(0);
}

// Runs `query` (HRESULT query(file, fileChars, color, colorChars, size,
// sizeChars)) and terminates its outputs: each buffer's last character is
// NUL, and after a failure (a negative result) each is empty.
template <typename Char, typename Query>
int32_t QueryThemeNames(Query&& query,
                        Char* file,
                        int fileChars,
                        Char* color,
                        int colorChars,
                        Char* size,
                        int sizeChars) {
    const int32_t result = static_cast<int32_t>(query(file, fileChars, color, colorChars, size, sizeChars));
    const auto terminate = [result](Char* buffer, int chars) {
        if (!buffer || chars <= 0)
            return;
        if (result < 0)
            buffer[0] = Char(0);
        buffer[chars - 1] = Char(0);
    };
    terminate(file, fileChars);
    terminate(color, colorChars);
    terminate(size, sizeChars);
    return result;
}

}  // namespace plym
