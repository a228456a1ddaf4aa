// controls/paint_layout.cpp
#include "controls/paint_layout.h"

namespace controls {

PaintSize MenuItemSize(uint32_t type, int itemWidth, int itemHeight) {
    if (type == kMenuHidden1 || type == kMenuHidden2)
        return {0, 0};
    if (type == kMenuSeparator)
        return {itemWidth, 4};
    return {itemWidth, itemHeight};
}

PixelRect FitImage(PaintSize client, PaintSize image, bool keepAspect) {
    if (client.width <= 0 || client.height <= 0 || image.width <= 0 || image.height <= 0)
        return {};
    if (!keepAspect)
        return {0, 0, client.width, client.height};
    if (image.width <= client.width && image.height <= client.height)
        return {(client.width - image.width) / 2, (client.height - image.height) / 2, image.width,
                image.height};
    // Compare the ratios without dividing: image.w / image.h against client.w / client.h.
    const int64_t wide = int64_t{image.width} * client.height;
    const int64_t tall = int64_t{image.height} * client.width;
    if (wide >= tall) {
        const int height = static_cast<int>(int64_t{client.width} * image.height / image.width);
        return {0, (client.height - height) / 2, client.width, height};
    }
    const int width = static_cast<int>(int64_t{client.height} * image.width / image.height);
    return {(client.width - width) / 2, 0, width, client.height};
}

}  // namespace controls
