// The stand-in's own controls (standin.h) and the joints of core.h that
// belong to no one part: the presenter in use, the screen mode, the count of
// presented frames, and frames as pictures.
#include "platform/core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

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

// The SDL presenter from its plugin, loaded on first use and kept to the end
// of the run; null with the reason when it cannot be had.
const Presenter *sdlPresenter(std::string *why) {
    struct Plugin {
        bool tried = false;
        const Presenter *presenter = nullptr;
        std::string failure;
    };
    static Plugin *plugin = new Plugin;
    if (!plugin->tried) {
        plugin->tried = true;
        const std::string file = STANDIN_SDL_PLUGIN;
        const PresenterHost host = {kPresenterPluginVersion, postInput};
        void *handle = openBesideProgram(file, &plugin->failure);
        void *entry = handle ? dlsym(handle, kSdlPluginEntry) : nullptr;
        if (entry)
            plugin->presenter = reinterpret_cast<SdlPluginEntry>(entry)(&host);
        if (handle && !plugin->presenter)
            plugin->failure = file + " is not this build's SDL presenter";
    }
    *why = plugin->failure;
    return plugin->presenter;
}

const Presenter *byName(const std::string &name, std::string *why) {
    if (name == "sdl")
        return sdlPresenter(why);
    if (name == headlessPresenter.name)
        return &headlessPresenter;
    return nullptr;
}

// Says why the run is headless, and how to stop it when no script will.
void sayHeadless(const std::string &why) {
    std::fprintf(stderr, "%s: running headless%s\n", why.c_str(), hasScript() ? "" : " with no input; Ctrl+C stops it");
}

}  // namespace

const Presenter &presenter() {
    if (chosen)
        return *chosen;
    std::string why;
    const char *wanted = std::getenv("STANDIN_PRESENTER");
    if (wanted && wanted[0]) {
        const Presenter *named = byName(wanted, &why);
        if (named && named->open())
            return *(chosen = named);
        std::fprintf(stderr, "STANDIN_PRESENTER=%s cannot be used%s; running headless\n", wanted,
                     why.empty() ? "" : (" (" + why + ")").c_str());
    } else if (!hasDisplay()) {
        if (!hasScript())  // nothing will ever be shown or typed
            sayHeadless("no display (DISPLAY and WAYLAND_DISPLAY unset)");
    } else if (const Presenter *sdl = sdlPresenter(&why)) {
        if (sdl->open())
            return *(chosen = sdl);
        if (!hasScript())
            sayHeadless("the display cannot be opened");
    } else {
        sayHeadless("the SDL presenter cannot be loaded (" + why + ")");
    }
    headlessPresenter.open();  // always opens
    return *(chosen = &headlessPresenter);
}

bool choosePresenter(const std::string &name) {
    std::string why;
    const Presenter *named = byName(name, &why);
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

Image pictureOfPixels(const uint8_t *rows, ptrdiff_t pitch, int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 16 && bitsPerPixel != 32))
        return Image();
    Image picture(width, height, 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = rows + y * pitch;
        uint8_t *out = picture.at(0, y);
        if (bitsPerPixel == 16) {
            for (int x = 0; x < width; ++x) {
                const unsigned value = unsigned(in[2 * x]) | unsigned(in[2 * x + 1]) << 8;
                const unsigned r5 = value >> 11, g6 = (value >> 5) & 0x3F, b5 = value & 0x1F;
                out[3 * x] = uint8_t((r5 << 3) | (r5 >> 2));
                out[3 * x + 1] = uint8_t((g6 << 2) | (g6 >> 4));
                out[3 * x + 2] = uint8_t((b5 << 3) | (b5 >> 2));
            }
        } else {
            for (int x = 0; x < width; ++x) {
                out[3 * x] = in[4 * x + 2];
                out[3 * x + 1] = in[4 * x + 1];
                out[3 * x + 2] = in[4 * x];
            }
        }
    }
    return picture;
}

bool saveFramePng(const Frame &frame, const std::string &path) {
    if (frame.bytes.size() < size_t(frame.pitch) * size_t(std::max(frame.height, 0)))
        return false;
    const Image picture =
        pictureOfPixels(frame.bytes.data(), frame.pitch, frame.width, frame.height, frame.bitsPerPixel);
    std::string error;
    return !picture.pixels.empty() && writePng(path, picture, error);
}

}  // namespace standin
