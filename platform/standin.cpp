// The stand-in's own controls (standin.h): presenter choice, kept frames,
// PNG output, live counts and reset.
#include "platform/core.h"

#include "common/png_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {
namespace {

struct FrameStore {
    Frame last;
    uint64_t count = 0;
};

FrameStore &frames() {
    static FrameStore *store = new FrameStore;
    return *store;
}

const Presenter *chosen = nullptr;

void saveShotAtExit() {
    const char *path = std::getenv("STANDIN_SHOT_AT_EXIT");
    if (path && path[0] && !saveFramePng(frames().last, path))
        std::fprintf(stderr, "cannot save the last frame to %s\n", path);
}

void usePresenter(const Presenter &next) {
    chosen = &next;
    static bool exitShotRegistered = false;
    if (!exitShotRegistered) {
        exitShotRegistered = true;
        std::atexit(saveShotAtExit);
    }
}

bool hasDisplay() {
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && x11[0]) || (wayland && wayland[0]);
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
        if (named && named->open()) {
            usePresenter(*named);
            return *chosen;
        }
        std::fprintf(stderr, "STANDIN_PRESENTER=%s cannot be used; running headless\n", wanted);
    } else {
        // Tried in order; headless always opens.
        const Presenter *candidates[] = {hasDisplay() ? &sdlPresenter : nullptr, &headlessPresenter};
        for (const Presenter *candidate : candidates)
            if (candidate && candidate->open()) {
                usePresenter(*candidate);
                return *chosen;
            }
    }
    headlessPresenter.open();
    usePresenter(headlessPresenter);
    return *chosen;
}

bool choosePresenter(const std::string &name) {
    const Presenter *named = byName(name);
    if (chosen || !named || !named->open())
        return false;
    usePresenter(*named);
    return true;
}

std::string presenterName() {
    return presenter().name;
}

void recordFrame(int width, int height, int bitsPerPixel, const uint8_t *pixels, int pitch) {
    FrameStore &store = frames();
    Frame &frame = store.last;
    frame.width = width;
    frame.height = height;
    frame.bitsPerPixel = bitsPerPixel;
    frame.pitch = width * (bitsPerPixel / 8);
    frame.bytes.resize((size_t)frame.pitch * (size_t)height);
    for (int y = 0; y < height; ++y)
        std::memcpy(frame.bytes.data() + (size_t)y * frame.pitch, pixels + (ptrdiff_t)y * pitch, (size_t)frame.pitch);
    ++store.count;
    presenter().show(frame);
}

uint64_t presentedFrameCount() {
    return frames().count;
}

const Frame &lastPresentedFrame() {
    return frames().last;
}

void resetFrames() {
    frames().last = Frame();
    frames().count = 0;
}

bool saveFramePng(const Frame &frame, const std::string &path) {
    if (frame.width <= 0 || frame.height <= 0 || (frame.bitsPerPixel != 16 && frame.bitsPerPixel != 32) ||
        frame.bytes.size() < (size_t)frame.pitch * (size_t)frame.height)
        return false;
    Image image(frame.width, frame.height, 3);
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t *in = frame.bytes.data() + (size_t)y * frame.pitch;
        uint8_t *out = image.at(0, y);
        for (int x = 0; x < frame.width; ++x, out += 3) {
            if (frame.bitsPerPixel == 16) {
                unsigned value = (unsigned)in[2 * x] | ((unsigned)in[2 * x + 1] << 8);
                unsigned r5 = value >> 11, g6 = (value >> 5) & 0x3F, b5 = value & 0x1F;
                out[0] = (uint8_t)((r5 << 3) | (r5 >> 2));
                out[1] = (uint8_t)((g6 << 2) | (g6 >> 4));
                out[2] = (uint8_t)((b5 << 3) | (b5 >> 2));
            } else {
                out[0] = in[4 * x + 2];
                out[1] = in[4 * x + 1];
                out[2] = in[4 * x];
            }
        }
    }
    std::string error;
    return writePng(path, image, error);
}

void reset() {
    resetWindows();
    resetFrames();
    if (chosen == &headlessPresenter)
        setScript(std::string());
}

}  // namespace standin
