// Pictures of a map drawn by the client's own code (client/shell): its
// display on the stand-in's software DirectDraw in the client's 16-bit mode,
// its sprite library, map loader, object list, view and sprite drawing. The
// view draws onto an off-screen surface of the picture's size, which takes
// the place of the display's back buffer and screen; nothing is presented.
//
// The scene lives in the client's globals (client/shell/globals.h), so a
// process holds one: openMapScene once, then buildSceneObjects.
//
// Picture coordinates are pixels from the top-left corner, x right, y down,
// as on the client's screen.
#ifndef CLI_MAP_RENDER_H
#define CLI_MAP_RENDER_H

#include "client/shell/shell.h"
#include "common/png_image.h"
#include "platform/win32.h"

#include <cstdint>
#include <string>

// Sets up the client's display without showing anything, and loads the
// library and the map as the client's scene setup does. False with one line
// naming the file that fails.
bool openMapScene(const std::string &libraryPath, const std::string &mapPath, std::string &error);

// A picture of the scene: its size, where tile (0, 0)'s cell corner (the
// point the view passes for that tile) lies in it, and the view that draws it.
struct MapPicture {
    int64_t width = 0;
    int64_t height = 0;
    int64_t tileCornerX = 0;
    int64_t tileCornerY = 0;
    ViewPlacement view = {};
    int64_t spriteBytes = 0;  // display bytes of every frame drawn, unclipped (whole maps)
};

// The client's 640 x 480 frame with the view centred on tile (x, y).
MapPicture centredPicture(int32_t x, int32_t y);

// The whole map: every tile in the view's half-row order, then every object
// in the list's order, in the smallest picture that holds every sprite frame
// drawn. False with a line when nothing would be drawn.
bool wholeMapPicture(MapPicture &picture, std::string &error);

// Refuses, with a line that says how large it would be, a picture that
// enlarged scale times exceeds the PNG limits (common/png_image.h).
bool checkPictureSize(const MapPicture &picture, int scale, std::string &error);

// An off-screen 16-bit surface of the scene's display. While it draws, the
// display's back buffer and screen are the canvas.
class Canvas {
public:
    Canvas() = default;
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    // False with a line when the display cannot make a surface of this size.
    bool create(int32_t width, int32_t height, std::string &error);
    // Clears the canvas and draws the view with this placement onto it.
    void draw(const ViewPlacement &view);
    // The canvas as RGB, each pixel enlarged to scale x scale.
    Image picture(int scale) const;

private:
    IDirectDrawSurface7 *surface_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// Nearest-neighbour enlargement: each pixel becomes scale x scale.
Image enlarged(const Image &image, int scale);

#endif
