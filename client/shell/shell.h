// The program's entry sequence, window procedure and frame, over the globals
// of globals.h. One thread; the loop polls and never waits.
//
// The scene setup is also taken step by step by the vornak tool's map
// renderer, with its own files and view placement, so that its pictures come
// from this same code.
#ifndef CLIENT_SHELL_SHELL_H
#define CLIENT_SHELL_SHELL_H

#include <cstdint>

#include "platform/win32.h"

// The display mode the client asks for.
inline constexpr int32_t kScreenWidth = 640;
inline constexpr int32_t kScreenHeight = 480;
inline constexpr int32_t kBitDepth = 16;
// Tile steps to either side and tile rows above and below the centre.
inline constexpr int32_t kViewRadius = 15;
// The middle of the screen, as fixed numbers rather than read off the display.
inline constexpr int32_t kScreenCenterX = 320;
inline constexpr int32_t kScreenCenterY = 240;

// Where the view draws: the map position of its centre tile, its radii, and
// the screen point where the middle of the centre tile lies.
struct ViewPlacement {
    int32_t centerX;
    int32_t centerY;
    int32_t radiusX;
    int32_t radiusY;
    int32_t screenCenterX;
    int32_t screenCenterY;
};

// The client's view at start: centred on tile (0, 0) in the middle of the screen.
inline constexpr ViewPlacement kStartView = {0, 0, kViewRadius, kViewRadius, kScreenCenterX, kScreenCenterY};

// Ends the program with exit status -1 when no window can be made.
HWND createMainWindow(HINSTANCE instance);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool setupDisplay(HWND window);

// The scene setup's steps, in the order setupScene takes them.
// Loads a sprite library into g_spriteLibrary as surfaces of g_display.
bool loadSceneSprites(const char *path);
// Loads a map into a zero-filled g_mapData through g_map; false only when
// the file cannot be opened.
bool loadSceneMap(const char *path);
// Rebuilds g_objectList from g_mapData's objects.
void buildSceneObjects();
// Sets g_mapView over g_mapData and g_objectList, drawing through drawViewSprite.
void placeView(const ViewPlacement &placement);

// True when the sprites and the map are loaded and the view is set.
bool setupScene();
// Clears the display's back buffer and draws the view into it.
void drawScene();
// Draws one frame when the display and the scene are ready; else draws nothing.
bool runFrame();
// Draws a library sprite onto the display's back buffer.
bool drawViewSprite(int32_t sprite, int32_t x, int32_t y);

#endif
