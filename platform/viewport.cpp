#include "platform/viewport.h"

#include <algorithm>
#include <cstdint>

namespace standin {

Viewport fitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight) {
    if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return Viewport{0, 0, 0, 0};
    int factor = std::min(windowWidth / pictureWidth, windowHeight / pictureHeight);
    int width, height;
    if (factor >= 1) {
        width = pictureWidth * factor;
        height = pictureHeight * factor;
    } else if ((int64_t)windowWidth * pictureHeight <= (int64_t)windowHeight * pictureWidth) {
        width = windowWidth;
        height = std::max(1, (int)((int64_t)pictureHeight * windowWidth / pictureWidth));
    } else {
        height = windowHeight;
        width = std::max(1, (int)((int64_t)pictureWidth * windowHeight / pictureHeight));
    }
    return Viewport{(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

void windowToPicture(const Viewport &viewport, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int *pictureX, int *pictureY) {
    if (viewport.width <= 0 || viewport.height <= 0) {
        *pictureX = 0;
        *pictureY = 0;
        return;
    }
    int64_t x = ((int64_t)windowX - viewport.x) * pictureWidth;
    int64_t y = ((int64_t)windowY - viewport.y) * pictureHeight;
    // Floor division, so points left of or above the picture clamp to 0.
    x = x >= 0 ? x / viewport.width : -((-x + viewport.width - 1) / viewport.width);
    y = y >= 0 ? y / viewport.height : -((-y + viewport.height - 1) / viewport.height);
    *pictureX = (int)std::clamp<int64_t>(x, 0, pictureWidth - 1);
    *pictureY = (int)std::clamp<int64_t>(y, 0, pictureHeight - 1);
}

}  // namespace standin
