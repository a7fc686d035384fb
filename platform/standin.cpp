// The stand-in's own controls (standin.h) and the joints of core.h that
// belong to no one part: the presenter in use, the screen mode and the count
// of presented frames.
#include "platform/core.h"

#include <cstdio>
#include <cstdlib>

namespace standin {
namespace {

constexpr int kDesktopBitsPerPixel = 32;

const Presenter *chosen = nullptr;

struct Screen {
    bool modeSet = false;  // else the desktop's
    ScreenMode mode = {0, 0, 0};
    uint64_t presentedFrames = 0;
};

Screen &screen() {
    static Screen *state = new Screen;
    return *state;
}

bool hasDisplay() {
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && x11[0]) || (wayland && wayland[0]);
}

bool hasScript() {
    const char *script = std::getenv("STANDIN_SCRIPT");
    return script && script[0];
}

const Presenter *byName(const std::string &name) {
    if (name == sdlPresenter.name)
        return &sdlPresenter;
    if (name == headlessPresenter.name)
        return &headlessPresenter;
    return nullptr;
}

}  // namespace

const Presenter &presenter() {
    if (chosen)
        return *chosen;
    const char *wanted = std::getenv("STANDIN_PRESENTER");
    if (wanted && wanted[0]) {
        const Presenter *named = byName(wanted);
        if (named && named->open())
            return *(chosen = named);
        std::fprintf(stderr, "STANDIN_PRESENTER=%s cannot be used; running headless\n", wanted);
    } else if (hasDisplay() && sdlPresenter.open()) {
        return *(chosen = &sdlPresenter);
    } else if (!hasScript()) {
        // Nothing will ever be shown or typed: say so once, and how to stop.
        std::fprintf(stderr, "%s: running headless with no input; Ctrl+C stops it\n",
                     hasDisplay() ? "the display cannot be opened" : "no display (DISPLAY and WAYLAND_DISPLAY unset)");
    }
    headlessPresenter.open();  // always opens
    return *(chosen = &headlessPresenter);
}

bool choosePresenter(const std::string &name) {
    const Presenter *named = byName(name);
    if (chosen || !named || !named->open())
        return false;
    chosen = named;
    return true;
}

std::string presenterName() {
    return presenter().name;
}

ScreenMode screenMode() {
    const Screen &s = screen();
    if (s.modeSet)
        return s.mode;
    ScreenMode desktop = {0, 0, kDesktopBitsPerPixel};
    presenter().desktopSize(&desktop.width, &desktop.height);
    return desktop;
}

void setScreenMode(const ScreenMode &mode) {
    screen().mode = mode;
    screen().modeSet = true;
}

void restoreDesktopMode() {
    screen().modeSet = false;
}

void present(const Picture &picture) {
    ++screen().presentedFrames;
    presenter().show(picture);
}

uint64_t presentedFrameCount() {
    return screen().presentedFrames;
}

void reset() {
    resetWindows();
    screen().presentedFrames = 0;
    resetFrames();
    if (chosen == &headlessPresenter)
        setScript(std::string());
}

}  // namespace standin
