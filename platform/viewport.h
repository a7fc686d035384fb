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

// A window point in picture coordinates; false when it lies outside the
// picture, on the bars around it, where the picture's owner sees nothing.
bool windowToPicture(const Viewport &viewport, int pictureWidth, int pictureHeight, int windowX, int windowY,
                     int *pictureX, int *pictureY);

struct WindowSize {
    int width;
    int height;
};

// The inside of a framed window for the picture: the largest whole multiple
// of the picture that fits the usable desktop together with the window's
// frame (frameWidth and frameHeight: both sides together), and never less
// than the picture itself.
WindowSize windowedSize(int desktopWidth, int desktopHeight, int frameWidth, int frameHeight, int pictureWidth,
                        int pictureHeight);

}  // namespace standin

#endif
