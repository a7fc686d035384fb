// The DirectDraw display: a full-screen flipping primary surface with one
// back buffer (or, windowed, a primary with a clipper and an off-screen back
// buffer), off-screen surfaces filled from packed pixel buffers, keyed and
// translucent blits with clipping, clearing and presenting.
//
// The display does not hold its interfaces itself: its four address fields
// point at interface variables that the owner provides before initialize.
// initialize fills them; releaseInterfaces releases and empties them.
// Operations that take a surface variable read the interface out of it at the
// time of the call. Surfaces made by createSurface belong to the caller.
//
// Display pixel formats, chosen by bitDepth alone and never queried; every
// pixel is little-endian, rows start lPitch bytes apart:
//   15: 16-bit word, blue in bits 0-4, green 5-9, red 10-14.
//   16: 16-bit 5-6-5 word, blue in bits 0-4, green 5-10, red 11-15.
//   24: three bytes, blue, green, red.
//   32: four bytes, blue, green, red, and one that carries no channel.
// Pixel value 0 is transparent wherever a colour key applies. Pixel buffers
// handed to createSurface are rows top down, tightly packed, bitDepth / 8
// bytes per pixel.
#ifndef CLIENT_DISPLAY_DISPLAY_H
#define CLIENT_DISPLAY_DISPLAY_H

#include "platform/win32.h"

#include <cstdint>

class Display {
public:
    IDirectDraw7 **directDraw = nullptr;
    IDirectDrawSurface7 **primarySurface = nullptr;
    IDirectDrawSurface7 **backBuffer = nullptr;
    IDirectDrawClipper **clipper = nullptr;  // windowed mode only
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    RECT targetRect = {0, 0, 0, 0};  // what a windowed present fills; its right/bottom bound sprite drawing
    RECT screenRect = {0, 0, 0, 0};  // the back buffer's area; blits clip against it
    bool fullScreen = true;
    int32_t bitDepth = 0;
    bool initialized = false;

    // True when every step succeeded. A failing step returns at once and
    // keeps what was stored so far in the interface variables.
    bool initialize(HWND window);
    // Releases the DirectDraw object, back buffer, primary surface and
    // clipper, in this order, nulling each variable and emptying its field.
    void releaseInterfaces();

    // A new off-screen surface of width x height filled from pixels, or null.
    IDirectDrawSurface7 *createSurface(int width, int height, const void *pixels);
    // Source colour key (low = high = key). True when DirectDraw accepted it.
    bool setColorKey(IDirectDrawSurface7 *const *surface, uint32_t key);

    // Keyed BltFast of rect from source to (x, y) on target. With clip set,
    // the copy of rect is cut to the screen first; an empty result draws
    // nothing and returns false.
    bool blitKeyed(IDirectDrawSurface7 *const *target, int x, int y, IDirectDrawSurface7 *const *source, RECT rect,
                   bool clip);
    // 50% mix of rect from source onto target at (x, y), skipping source
    // pixels of value 0. Always true.
    bool blitTranslucent(IDirectDrawSurface7 *const *target, int x, int y, IDirectDrawSurface7 *const *source,
                         RECT rect, bool clip);

    // Colour fill of screenRect on the back buffer with a raw pixel value.
    bool clearBackBuffer(uint32_t colour);
    // Flips (full screen) or copies the back buffer to the window. Always true.
    bool present();

private:
    // Cuts rect and (x, y) to the screen extent (0, 0)-(screenRect.right,
    // screenRect.bottom). False when nothing of rect is left on the screen.
    bool clipToScreen(RECT &rect, int &x, int &y) const;
};

// Draws rect of source onto target at (x, y) as an even mix of the two,
// leaving the target where the source pixel equals key. depth selects the
// layout (15, 16, 24 or 32; any other draws nothing). The drawn area is cut
// to both surfaces, so no rectangle or position reads or writes outside them.
void blendRect(IDirectDrawSurface7 *source, IDirectDrawSurface7 *target, int x, int y, RECT rect, uint32_t key,
               int depth);

#endif
