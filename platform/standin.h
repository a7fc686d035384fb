// What tests and tools need to read and drive the Linux stand-in of
// platform/win32.h. Never included by client code.
//
// Frames: every present (a Flip of the primary, or any write onto it) is
// counted. The headless presenter keeps the last one, also after every
// DirectDraw object is gone; the SDL presenter keeps none. A Frame's rows are
// tight (pitch = width * bytes per pixel), top down, pixels in the surface's
// format (16 or 32 bits, client/display/display.h).
//
// Pictures: 8-bit RGB (common/png_image.h). A 5-6-5 pixel is widened by repeating its top bits,
// r8 = (r5 << 3) | (r5 >> 2), g8 = (g6 << 2) | (g6 >> 4),
// b8 = (b5 << 3) | (b5 >> 2), so 0 stays 0, full stays 255, and the 5-6-5
// value comes back exactly as the top bits of each channel.
//
// Environment, read when the presenter is first needed:
//   STANDIN_PRESENTER   sdl | headless (default: SDL when DISPLAY or
//                       WAYLAND_DISPLAY is set and SDL video starts, else
//                       headless, which with no script is said once on
//                       stderr, as nothing will then end the program). SDL
//                       comes from a plugin beside the program or in its
//                       ../lib; one that cannot be loaded is said on stderr
//                       and the run is headless.
//   STANDIN_SCRIPT      path of an input script for the headless presenter
//                       (format: platform/script.h)
//   STANDIN_SHOT_AT_EXIT  path: the headless presenter saves the last
//                       presented frame there as PNG when the process exits
#ifndef PLATFORM_STANDIN_H
#define PLATFORM_STANDIN_H

#include "common/png_image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct Frame {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 16 or 32
    int pitch = 0;         // bytes per row, = width * bitsPerPixel / 8
    std::vector<uint8_t> bytes;
};

struct LiveCounts {
    int directDrawObjects = 0;
    int surfaces = 0;
    int clippers = 0;
    // Release calls on a back buffer after its front buffer was destroyed.
    // On Windows (and Wine) the back buffer goes with its front buffer, so
    // such a call runs on freed memory; the stand-in counts it and warns.
    int releasesAfterChain = 0;
};

LiveCounts liveCounts();

// Frames presented since the start (or the last reset), and the last one
// (empty before the first, and with any presenter but the headless one).
uint64_t presentedFrameCount();
const Frame &lastPresentedFrame();

// Pixel rows in a display format (16 or 32 bits; top down, pitch bytes
// apart) as an RGB picture (expansion above); an empty Image for any other
// depth.
Image pictureOfPixels(const uint8_t *rows, ptrdiff_t pitch, int width, int height, int bitsPerPixel);

// Saves a frame as an 8-bit RGB PNG. False when the frame is empty or the
// file cannot be written.
bool saveFramePng(const Frame &frame, const std::string &path);

// Chooses the presenter by name ("sdl", "headless") before its first use.
// False when it is unknown, cannot open, or a presenter is already in use.
bool choosePresenter(const std::string &name);
// Name of the presenter in use (choosing the default if none is yet).
std::string presenterName();

// Replaces the headless presenter's script with this text (same format as a
// STANDIN_SCRIPT file); the script starts over from its first line.
void setScript(const std::string &text);

// Back to a clean start for the next test: empties the message queue, forgets
// windows, classes and frames. Live DirectDraw objects are not touched (their
// counts stay, so a leak still shows).
void reset();

}  // namespace standin

#endif
