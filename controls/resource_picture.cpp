// controls/resource_picture.cpp
#include "controls/resource_picture.h"

#include <utility>

#include "controls/draw_helpers.h"

namespace controls {

bool ResourcePicture::Load(UINT id) {
    HBITMAP loaded = LoadResourceBitmap(id);
    BITMAP info{};
    if (!loaded || !::GetObjectA(loaded, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        if (loaded)
            ::DeleteObject(loaded);
        return false;
    }
    Free();
    bitmap = loaded;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

void ResourcePicture::Free() {
    if (bitmap)
        ::DeleteObject(bitmap);
    bitmap = nullptr;
    width = height = 0;
}

void ResourcePicture::Take(ResourcePicture& other) {
    Free();
    std::swap(bitmap, other.bitmap);
    std::swap(width, other.width);
    std::swap(height, other.height);
}

}  // namespace controls
