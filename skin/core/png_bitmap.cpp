// skin/core/png_bitmap.cpp
#include "skin/core/png_bitmap.h"

#include "skin/core/win_types.h"

#include <cstring>

namespace {

class FileSource final : public plym::PngByteSource {
  public:
    explicit FileSource(CFile* file) : file_(file) {}
    size_t Read(void* buffer, size_t count) override {
        size_t done = 0;
        auto* out = static_cast<uint8_t*>(buffer);
        while (done < count) {
            const size_t chunk = count - done > 0x40000000 ? 0x40000000 : count - done;
            const UINT got = file_->Read(out + done, static_cast<UINT>(chunk));
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }

  private:
    CFile* file_;
};

// Resources shorter than this cannot be a PNG worth decoding.
constexpr DWORD kShortestPngResource = 10;

}  // namespace

HBITMAP PlymCreateTopDownSection(const plym::PngPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0)
        return nullptr;
    const BITMAPINFO info = TopDownDibInfo(picture.width, picture.height);
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section == nullptr || bits == nullptr) {
        if (section != nullptr)
            ::DeleteObject(section);
        return nullptr;
    }
    std::memcpy(bits, picture.bgra.data(), picture.bgra.size());
    return section;
}

BOOL CPlymGraphicBitmapPng::LoadFromFile(LPCSTR path) {
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    return LoadFromStream(&file);
}

BOOL CPlymGraphicBitmapPng::LoadFromResource(HMODULE module, HRSRC resource) {
    if (resource == nullptr)
        return FALSE;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size < kShortestPngResource)
        return FALSE;
    plym::PngMemorySource source(bytes, size);
    return LoadFromStream(source);
}

BOOL CPlymGraphicBitmapPng::LoadFromStream(CFile* file) {
    if (file == nullptr)
        return FALSE;
    FileSource source(file);
    return LoadFromStream(source);
}

BOOL CPlymGraphicBitmapPng::LoadFromStream(plym::PngByteSource& source) {
    DeleteObject();
    m_alpha = FALSE;
    plym::PngPicture picture;
    if (!plym::DecodePng(source, picture))
        return FALSE;
    HBITMAP section = PlymCreateTopDownSection(picture);
    if (section == nullptr)
        return FALSE;
    Own(section);
    m_alpha = picture.alpha ? TRUE : FALSE;
    return TRUE;
}
