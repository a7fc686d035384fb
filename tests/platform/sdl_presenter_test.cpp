// The SDL2 presenter's input on SDL's dummy video driver (a 1024 x 768
// desktop, no window manager): events put into SDL's queue come out as the
// window messages Windows would send, or as none at all. A full-screen
// 640 x 480 picture sits at (192, 144) on the desktop; Alt+Enter makes the
// window 640 x 480 with the picture filling it, and back.
#include "platform/standin.h"
#include "surface_helpers.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <tuple>

using namespace platform_test;

namespace {

SDL_Event mouseMove(int x, int y, bool leftDown) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.state = leftDown ? SDL_BUTTON_LMASK : 0;
    return event;
}

SDL_Event leftButton(bool down, int x, int y) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event key(SDL_Keycode code, Uint16 modifiers) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = code;
    event.key.keysym.mod = modifiers;
    return event;
}

using Message = std::tuple<UINT, WPARAM, int, int>;  // message, wParam, lParam's x and y

// What one event turns into: the message it queued, or none.
std::optional<Message> messageOf(SDL_Event event) {
    SDL_PushEvent(&event);
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return std::nullopt;
    return Message{msg.message, msg.wParam, (int16_t)LOWORD(msg.lParam), (int16_t)HIWORD(msg.lParam)};
}

TEST(SdlPresenter, BarsMakeNoMessagesAndAltEnterSwitchesModesUnseen) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(standin::choosePresenter("sdl"));
    standin::reset();
    HWND window = makeWindow("Client");
    ShowWindow(window, SW_SHOWMAXIMIZED);
    IDirectDraw7 *directDraw = createDirectDraw(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, window);
    IDirectDrawSurface7 *primary = nullptr;
    ASSERT_TRUE(directDraw && directDraw->SetDisplayMode(640, 480, 16, 0, 0) == DD_OK &&
                createPrimary(directDraw, DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                              DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX, &primary) == DD_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);  // the presenter's window comes with the first frame

    const std::optional<Message> none;
    const struct {
        const char *what;
        SDL_Event event;
        std::optional<Message> expected;
    } steps[] = {
        {"move on the left bar", mouseMove(100, 300, false), none},
        {"move on the top bar", mouseMove(500, 143, false), none},
        {"move inside", mouseMove(192 + 10, 144 + 20, false), Message{WM_MOUSEMOVE, 0, 10, 20}},
        {"drag inside", mouseMove(192 + 639, 144 + 479, true), Message{WM_MOUSEMOVE, MK_LBUTTON, 639, 479}},
        {"release on the right bar", leftButton(false, 192 + 640, 300), none},
        {"press inside", leftButton(true, 192, 144), Message{WM_LBUTTONDOWN, MK_LBUTTON, 0, 0}},
        {"release inside", leftButton(false, 192 + 1, 144 + 2), Message{WM_LBUTTONUP, 0, 1, 2}},
        {"Enter", key(SDLK_RETURN, KMOD_NONE), Message{WM_KEYDOWN, VK_RETURN, 1, 0}},
        {"Alt+Enter to a window", key(SDLK_RETURN, KMOD_LALT), none},
        {"move at the window's corner", mouseMove(10, 20, false), Message{WM_MOUSEMOVE, 0, 10, 20}},
        {"release at the window's corner", leftButton(false, 0, 0), Message{WM_LBUTTONUP, 0, 0, 0}},
        {"Alt+keypad Enter back to full screen", key(SDLK_KP_ENTER, KMOD_RALT), none},
        {"move at the desktop's corner", mouseMove(10, 20, false), none},
        {"move inside again", mouseMove(192 + 10, 144 + 20, false), Message{WM_MOUSEMOVE, 0, 10, 20}},
        {"Escape", key(SDLK_ESCAPE, KMOD_NONE), Message{WM_KEYDOWN, VK_ESCAPE, 1, 0}},
    };
    for (const auto &step : steps)
        EXPECT_EQ(messageOf(step.event), step.expected) << step.what;

    primary->Release();
    directDraw->Release();
}

}  // namespace
