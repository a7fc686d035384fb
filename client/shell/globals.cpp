#include "client/shell/globals.h"

#include <cstdlib>

// Construction order is definition order within this file; keep it.
Display g_display;

// The display's teardown is registered right after its construction, so it
// runs at exit after the destructors of every global below: the sprite
// library releases its surfaces before the DirectDraw object goes.
static void releaseDisplay() {
    g_display.releaseInterfaces();
}
[[maybe_unused]] static const int displayTeardownRegistered = std::atexit(releaseDisplay);

MapView g_mapView;
Map g_map;
ObjectList g_objectList;
SpriteLibrary g_spriteLibrary;

IDirectDraw7 *g_directDraw = nullptr;
IDirectDrawSurface7 *g_primarySurface = nullptr;
IDirectDrawSurface7 *g_backBuffer = nullptr;
MapData g_mapData{};
int32_t g_mouseX = 0;
int32_t g_mouseY = 0;
