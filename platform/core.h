// Internal joints of the stand-in: what the windowing, DirectDraw and the
// presenters share. Not for client code.
//
// All state lives in objects that are never destroyed, so that calls made by
// the program's exit-time destructors still find it. One thread drives it.
#ifndef PLATFORM_CORE_H
#define PLATFORM_CORE_H

#include "platform/standin.h"
#include "platform/win32.h"

#include <cstddef>
#include <memory>
#include <string>

namespace standin {

// The screen size when nothing else gives one: the headless desktop, and the
// SDL window before its first frame.
constexpr int kDefaultScreenWidth = 640;
constexpr int kDefaultScreenHeight = 480;

// The visible surface as presented: its own memory, rows top down, pitch
// bytes apart, 16 or 32 bits (client/display/display.h). Holding pixels
// keeps the memory alive after the surface is gone.
struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    ptrdiff_t pitch = 0;
    std::shared_ptr<const uint8_t> pixels;
};

// A presenter shows the primary surface and turns what the user does into
// input. Each one is a file of its own behind this table; the first in the
// list that opens is used for the whole run.
struct Presenter {
    const char *name;
    bool (*open)();                                // false: cannot run here
    void (*desktopSize)(int *width, int *height);  // the real screen
    void (*show)(const Picture &picture);          // once per presented frame
    void (*pump)();                                // take in what has arrived
    bool (*wait)(int milliseconds);                // false: nothing can ever arrive
};

extern const Presenter headlessPresenter;

// The SDL presenter is a plugin of its own (STANDIN_SDL_PLUGIN, built from
// sdl.cpp), so that only runs that show a window load SDL2. It links nothing
// of the stand-in: its one export, kSdlPluginEntry, takes what it may call
// back and gives its Presenter, or null when the host's version differs.
// kPresenterPluginVersion changes with Presenter, Picture or PresenterHost.
constexpr int kPresenterPluginVersion = 1;
constexpr const char *kSdlPluginEntry = "standinSdlPresenter";
struct PresenterHost {
    int version;  // kPresenterPluginVersion
    void (*postInput)(UINT message, WPARAM wParam, LPARAM lParam);
};
using SdlPluginEntry = const Presenter *(*)(const PresenterHost *host);

// Opens a shared object of the stand-in's own, looked for beside the running
// program, then in the library folder of an installed one (bin/../lib). Null
// with the loader's reason when it is in neither or cannot be loaded.
void *openBesideProgram(const std::string &file, std::string *error);

// The presenter in use; chosen on first call (STANDIN_PRESENTER, else SDL when
// a display answers, else headless).
const Presenter &presenter();

// Input from a presenter, queued for the window that has the input focus.
void postInput(UINT message, WPARAM wParam, LPARAM lParam);
// The window input goes to (the one given to SetCooperativeLevel, else the
// last one shown or created), or null.
HWND focusWindow();
void setFocusWindow(HWND window);
// The window's rectangle on the screen; false for no such window.
bool windowRect(HWND window, RECT *rect);

// The screen as the program sees it: the display mode a DirectDraw object
// set, else the desktop (the presenter's size at 32 bits per pixel).
struct ScreenMode {
    int width;
    int height;
    int bitsPerPixel;
};
ScreenMode screenMode();
void setScreenMode(const ScreenMode &mode);
void restoreDesktopMode();

// Counts the picture as presented and hands it to the presenter.
void present(const Picture &picture);

// Parts of standin::reset().
void resetWindows();
void resetFrames();

// Milliseconds since the stand-in started (MSG.time).
DWORD tickCount();

}  // namespace standin

#endif
