// The SDL2 presenter: one borderless full-screen-desktop window titled
// "Client". Each presented frame is scaled nearest-neighbour into the
// viewport (viewport.h) on black and shown with vsync. Mouse, left button,
// keys and the window's close become the window messages Windows would send.
#include "platform/core.h"
#include "platform/viewport.h"

#include <SDL.h>
#include <cstdio>

namespace standin {
namespace {

struct SdlState {
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int textureBits = 0;
    int pictureWidth = kDefaultScreenWidth;
    int pictureHeight = kDefaultScreenHeight;
    bool leftDown = false;
};

SdlState sdl;

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

bool ensureWindow() {
    if (sdl.renderer)
        return true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    sdl.window = SDL_CreateWindow("Client", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kDefaultScreenWidth,
                                  kDefaultScreenHeight, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
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

LPARAM picturePoint(int windowX, int windowY) {
    int x = 0, y = 0;
    windowToPicture(currentViewport(false), sdl.pictureWidth, sdl.pictureHeight, windowX, windowY, &x, &y);
    return MAKELPARAM(x, y);
}

void handle(const SDL_Event &event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        postInput(WM_MOUSEMOVE, sdl.leftDown ? MK_LBUTTON : 0, picturePoint(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            bool down = event.type == SDL_MOUSEBUTTONDOWN;
            sdl.leftDown = down;
            postInput(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0,
                      picturePoint(event.button.x, event.button.y));
        }
        break;
    case SDL_KEYDOWN:
        if (WPARAM key = virtualKey(event.key.keysym.sym))
            postInput(WM_KEYDOWN, key, event.key.repeat ? (LPARAM)(1 | (1 << 30)) : 1);
        break;
    case SDL_QUIT: postInput(WM_CLOSE, 0, 0); break;
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

}  // namespace

const Presenter sdlPresenter = {"sdl", sdlOpen, sdlDesktopSize, sdlShow, sdlPump, sdlWait};

}  // namespace standin
