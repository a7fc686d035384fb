// Internal joints of the stand-in: what the windowing, DirectDraw and the
// presenters share. Not for client code.
//
// All state lives in objects that are never destroyed, so that calls made by
// the program's exit-time destructors still find it. One thread drives it.
#ifndef PLATFORM_CORE_H
#define PLATFORM_CORE_H

#include "platform/standin.h"
#include "platform/win32.h"

namespace standin {

// A presenter shows the primary surface and turns what the user does into
// input. Each one is a file of its own behind this table; the first in the
// list that opens is used for the whole run.
struct Presenter {
    const char *name;
    bool (*open)();                                // false: cannot run here
    void (*desktopSize)(int *width, int *height);  // the real screen
    void (*show)(const Frame &frame);              // once per presented frame
    void (*pump)();                                // take in what has arrived
    bool (*wait)(int milliseconds);                // false: nothing can ever arrive
};

extern const Presenter sdlPresenter;
extern const Presenter headlessPresenter;

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

// The screen as the program sees it: the emulated mode while one is set.
void setEmulatedMode(int width, int height);
void clearEmulatedMode();

// Called on each present with the visible surface's rows.
void recordFrame(int width, int height, int bitsPerPixel, const uint8_t *pixels, int pitch);

// Parts of standin::reset().
void resetWindows();
void resetFrames();

// Milliseconds since the stand-in started (MSG.time).
DWORD tickCount();

}  // namespace standin

#endif
