// The program's entry sequence, window procedure and frame, over the globals
// of globals.h. One thread; the loop polls and never waits.
#ifndef CLIENT_SHELL_SHELL_H
#define CLIENT_SHELL_SHELL_H

#include <cstdint>

#include "platform/win32.h"

// Ends the program with exit status -1 when no window can be made.
HWND createMainWindow(HINSTANCE instance);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool setupDisplay(HWND window);
// True when the sprites and the map are loaded and the view is set.
bool setupScene();
// Draws one frame when the display and the scene are ready; else draws nothing.
bool runFrame();
bool drawViewSprite(int32_t sprite, int32_t x, int32_t y);

#endif
