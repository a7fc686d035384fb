// The program's global objects and plain globals. The five objects are
// defined in one source file, in the order in which they must be constructed
// (display, view, map, object list, sprite library), so that their exit-time
// destruction runs in reverse: every surface is released before the
// DirectDraw object that made it.
#ifndef CLIENT_SHELL_GLOBALS_H
#define CLIENT_SHELL_GLOBALS_H

#include <cstdint>

#include "client/display/display.h"
#include "client/map/map.h"
#include "client/map/map_data.h"
#include "client/map/map_view.h"
#include "client/map/object_list.h"
#include "client/sprites/sprite_library.h"
#include "platform/win32.h"

extern Display g_display;
extern MapView g_mapView;
extern Map g_map;
extern ObjectList g_objectList;
extern SpriteLibrary g_spriteLibrary;

extern IDirectDraw7 *g_directDraw;
extern IDirectDrawSurface7 *g_primarySurface;
extern IDirectDrawSurface7 *g_backBuffer;
extern MapData g_mapData;
extern int32_t g_mouseX;  // last WM_MOUSEMOVE position, client coordinates
extern int32_t g_mouseY;

#endif
