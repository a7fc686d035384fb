// The SDL2 presenter: one window titled "Client" that covers the desktop,
// or, after Alt+Enter, a framed window of a whole multiple of the picture's
// size. Each presented frame is scaled nearest-neighbour into the viewport
// (viewport.h) on black, after the window's real size, and shown with vsync.
// Mouse, left button, keys and the window's close become the window messages
// Windows would send; pointer positions on the black bars make none, as
// nothing lies outside a full-screen DirectDraw display.
//
// Covering the desktop does not rely on a window manager: the window is put
// over the whole display by its own position and size and also asks to be
// full screen, which a window manager honours and a bare X server ignores.
// Alt+Enter is this presenter's own service to the user, like resizing the
// window: the program never sees the key.
//
// Built as the plugin the stand-in loads when it tries SDL (core.h): input
// goes back through the host's table, the only way into the stand-in.
#include "platform/core.h"
#include "platform/viewport.h"

#include <SDL.h>
#include <cstdio>

namespace standin {
namespace {

// Room left around a windowed window for a frame whose size the window
// manager does not tell: both sides together.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;

struct SdlState {
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int textureBits = 0;
    int pictureWidth = kDefaultScreenWidth;
    int pictureHeight = kDefaultScreenHeight;
    bool fullScreen = true;
};

SdlState sdl;
PresenterHost host = {0, nullptr};

bool sdlOpen() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void sdlDesktopSize(int *width, int *height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = kDefaultScreenWidth;
        *height = kDefaultScreenHeight;
    }
}

int windowDisplay() {
    int index = sdl.window ? SDL_GetWindowDisplayIndex(sdl.window) : 0;
    return index < 0 ? 0 : index;
}

void coverDesktop() {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(windowDisplay(), &bounds) != 0)
        return;
    SDL_SetWindowResizable(sdl.window, SDL_FALSE);
    SDL_SetWindowBordered(sdl.window, SDL_FALSE);
    SDL_SetWindowPosition(sdl.window, bounds.x, bounds.y);
    SDL_SetWindowSize(sdl.window, bounds.w, bounds.h);
    SDL_SetWindowFullscreen(sdl.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    sdl.fullScreen = true;
}

void becomeFramedWindow() {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(windowDisplay(), &usable) != 0)
        return;
    SDL_SetWindowFullscreen(sdl.window, 0);
    SDL_SetWindowBordered(sdl.window, SDL_TRUE);
    SDL_SetWindowResizable(sdl.window, SDL_TRUE);
    int top = 0, left = 0, bottom = 0, right = 0;
    int frameWidth = kFrameAllowanceWidth, frameHeight = kFrameAllowanceHeight;
    if (SDL_GetWindowBordersSize(sdl.window, &top, &left, &bottom, &right) == 0 && top + bottom > 0) {
        frameWidth = left + right;
        frameHeight = top + bottom;
    }
    const WindowSize size =
        windowedSize(usable.w, usable.h, frameWidth, frameHeight, sdl.pictureWidth, sdl.pictureHeight);
    SDL_SetWindowSize(sdl.window, size.width, size.height);
    SDL_SetWindowPosition(sdl.window, usable.x + (usable.w - size.width) / 2, usable.y + (usable.h - size.height) / 2);
    sdl.fullScreen = false;
}

bool ensureWindow() {
    if (sdl.renderer)
        return true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Rect bounds = {0, 0, kDefaultScreenWidth, kDefaultScreenHeight};
    SDL_GetDisplayBounds(0, &bounds);
    sdl.window = SDL_CreateWindow("Client", bounds.x, bounds.y, bounds.w, bounds.h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    if (!sdl.window) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        return false;
    }
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!sdl.renderer)
        sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl.renderer) {
        std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdl.window);
        sdl.window = nullptr;
        return false;
    }
    SDL_ShowCursor(SDL_ENABLE);
    return true;
}

void toggleFullScreen() {
    if (!sdl.window)
        return;
    if (sdl.fullScreen)
        becomeFramedWindow();
    else
        coverDesktop();
}

Viewport currentViewport(bool inRendererPixels) {
    int width = 0, height = 0;
    if (inRendererPixels)
        SDL_GetRendererOutputSize(sdl.renderer, &width, &height);
    else
        SDL_GetWindowSize(sdl.window, &width, &height);
    return fitPicture(width, height, sdl.pictureWidth, sdl.pictureHeight);
}

// The texture is filled straight from the visible surface's rows.
void sdlShow(const Picture &picture) {
    if (!ensureWindow())
        return;
    if (!sdl.texture || sdl.textureWidth != picture.width || sdl.textureHeight != picture.height ||
        sdl.textureBits != picture.bitsPerPixel) {
        if (sdl.texture)
            SDL_DestroyTexture(sdl.texture);
        Uint32 format = picture.bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
        sdl.texture =
            SDL_CreateTexture(sdl.renderer, format, SDL_TEXTUREACCESS_STREAMING, picture.width, picture.height);
        if (!sdl.texture)
            return;
        sdl.textureWidth = picture.width;
        sdl.textureHeight = picture.height;
        sdl.textureBits = picture.bitsPerPixel;
    }
    sdl.pictureWidth = picture.width;
    sdl.pictureHeight = picture.height;
    SDL_UpdateTexture(sdl.texture, nullptr, picture.pixels.get(), int(picture.pitch));
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
    SDL_RenderClear(sdl.renderer);
    Viewport viewport = currentViewport(true);
    SDL_Rect target = {viewport.x, viewport.y, viewport.width, viewport.height};
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, &target);
    SDL_RenderPresent(sdl.renderer);
}

// Win32 virtual-key code of an SDL key, 0 for keys the client never sees.
WPARAM virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return (WPARAM)('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return (WPARAM)('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return (WPARAM)(0x70 + (key - SDLK_F1));
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    default: return 0;
    }
}

// A window point as the lParam of a mouse message; false on the bars.
bool picturePoint(int windowX, int windowY, LPARAM *point) {
    int x = 0, y = 0;
    if (!sdl.window ||
        !windowToPicture(currentViewport(false), sdl.pictureWidth, sdl.pictureHeight, windowX, windowY, &x, &y))
        return false;
    *point = MAKELPARAM(x, y);
    return true;
}

bool isAltEnter(const SDL_Keysym &key) {
    return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT);
}

void handle(const SDL_Event &event) {
    LPARAM point = 0;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (picturePoint(event.motion.x, event.motion.y, &point))
            host.postInput(WM_MOUSEMOVE, (event.motion.state & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0, point);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && picturePoint(event.button.x, event.button.y, &point)) {
            bool down = event.type == SDL_MOUSEBUTTONDOWN;
            host.postInput(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0, point);
        }
        break;
    case SDL_KEYDOWN:
        if (isAltEnter(event.key.keysym)) {
            if (!event.key.repeat)
                toggleFullScreen();
        } else if (WPARAM key = virtualKey(event.key.keysym.sym)) {
            host.postInput(WM_KEYDOWN, key, event.key.repeat ? (LPARAM)(1 | (1 << 30)) : 1);
        }
        break;
    case SDL_QUIT: host.postInput(WM_CLOSE, 0, 0); break;
    default: break;
    }
}

void sdlPump() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle(event);
}

bool sdlWait(int milliseconds) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, milliseconds))
        handle(event);
    return true;
}

const Presenter sdlPresenter = {"sdl", sdlOpen, sdlDesktopSize, sdlShow, sdlPump, sdlWait};

}  // namespace
}  // namespace standin

extern "C" __attribute__((visibility("default"))) const standin::Presenter *
standinSdlPresenter(const standin::PresenterHost *host) {
    if (!host || host->version != standin::kPresenterPluginVersion || !host->postInput)
        return nullptr;
    standin::host = *host;
    return &standin::sdlPresenter;
}
