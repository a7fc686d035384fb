// Where the picture sits in a window: scaled by the largest whole factor that
// fits and centred, or, when even factor 1 does not fit, scaled down keeping
// its aspect. The same rectangle maps window points back to the picture.
#ifndef PLATFORM_VIEWPORT_H
#define PLATFORM_VIEWPORT_H

namespace standin {

struct Viewport {
    int x;
    int y;
    int width;
    int height;
};

Viewport fitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight);

// A window point in picture coordinates, clamped to the picture.
void windowToPicture(const Viewport &viewport, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int *pictureX, int *pictureY);

}  // namespace standin

#endif
