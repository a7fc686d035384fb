// The floor under the client's start-up: a program linked as the client is
// (the stand-in, the C++ runtime; SDL2 comes only with the SDL presenter's
// plugin, which a headless run never loads) whose WinMain returns at once. Starting it costs what every start of the
// client pays before any of the client's own work: loading and linking the libraries.
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
