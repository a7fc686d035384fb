#include "client/shell/globals.h"

// Construction order is definition order within this file; keep it.
Display g_display;
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
