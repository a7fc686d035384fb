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

bool windowToPicture(const Viewport &viewport, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int *pictureX, int *pictureY) {
    const int64_t insideX = (int64_t)windowX - viewport.x;
    const int64_t insideY = (int64_t)windowY - viewport.y;
    if (insideX < 0 || insideY < 0 || insideX >= viewport.width || insideY >= viewport.height)
        return false;
    *pictureX = (int)std::min<int64_t>(insideX * pictureWidth / viewport.width, pictureWidth - 1);
    *pictureY = (int)std::min<int64_t>(insideY * pictureHeight / viewport.height, pictureHeight - 1);
    return true;
}

WindowSize windowedSize(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight, int pictureWidth,
                        int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return WindowSize{pictureWidth, pictureHeight};
    const int factor = std::max(
        1, std::min((desktopWidth - frameWidth) / pictureWidth, (desktopHeight - frameHeight) / pictureHeight));
    return WindowSize{pictureWidth * factor, pictureHeight * factor};
}

}  // namespace standin
