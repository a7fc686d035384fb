// Windowing and the message queue, through the public API only.
#include "surface_helpers.h"

#include <gtest/gtest.h>

#include <tuple>

using platform_test::handled;

namespace {

HWND window() {
    static HWND made = platform_test::makeWindow("PlatformWindows");
    return made;
}

// Empties the queue, WM_QUIT included.
void drain() {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT;) {
    }
}

// The next message by GetMessageA, or by PeekMessageA with these flags.
std::tuple<BOOL, UINT, WPARAM> next(MSG &msg, int peek = -1, HWND only = nullptr, UINT first = 0, UINT last = 0) {
    BOOL got = peek < 0 ? GetMessageA(&msg, only, first, last) : PeekMessageA(&msg, only, first, last, (UINT)peek);
    return {got, got ? msg.message : 0, got ? msg.wParam : 0};
}

TEST(Windows, CreationNeedsARegisteredClass) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClassHere", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(ShowWindow(window(), SW_SHOWMAXIMIZED));  // it was hidden before
    EXPECT_TRUE(ShowWindow(window(), SW_HIDE));
    EXPECT_TRUE(LoadCursorA(nullptr, IDC_ARROW) && GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(GetSystemMetrics(SM_CXSCREEN) > 0 && GetSystemMetrics(SM_CYSCREEN) > 0);
    RECT rect;
    EXPECT_TRUE(SetRect(&rect, 1, 2, 640, 480));
    EXPECT_EQ(std::make_tuple(rect.left, rect.top, rect.right, rect.bottom), std::make_tuple(1, 2, 640, 480));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(uintptr_t(0x7FFF0)), WM_KEYDOWN, 0, 0));
}

TEST(Messages, ComeOutInTheOrderPostedWithQuitAfterThoseAlreadyQueuedAndUnfiltered) {
    drain();
    ASSERT_TRUE(PostMessageA(window(), WM_KEYDOWN, 'A', 1));
    ASSERT_TRUE(PostMessageA(window(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)));
    PostQuitMessage(5);
    ASSERT_TRUE(PostMessageA(window(), WM_LBUTTONUP, 0, MAKELPARAM(30, 40)));
    MSG msg;
    const auto keyA = std::make_tuple(TRUE, (UINT)WM_KEYDOWN, (WPARAM)'A');
    EXPECT_EQ(next(msg, PM_NOREMOVE), keyA);  // PM_NOREMOVE leaves it queued
    EXPECT_EQ(next(msg, PM_NOREMOVE), keyA);
    EXPECT_EQ(next(msg), keyA);
    EXPECT_EQ(next(msg), std::make_tuple(TRUE, (UINT)WM_MOUSEMOVE, (WPARAM)0));
    EXPECT_EQ(std::make_tuple(LOWORD(msg.lParam), HIWORD(msg.lParam)), std::make_tuple(10, 20));
    EXPECT_EQ(next(msg), std::make_tuple(TRUE, (UINT)WM_LBUTTONUP, (WPARAM)0));
    EXPECT_EQ(msg.hwnd, window());
    EXPECT_EQ(next(msg, PM_NOREMOVE), std::make_tuple(TRUE, (UINT)WM_QUIT, (WPARAM)5));
    EXPECT_EQ(next(msg), std::make_tuple(FALSE, 0u, (WPARAM)0));
    EXPECT_EQ(std::make_tuple(msg.message, msg.wParam), std::make_tuple((UINT)WM_QUIT, (WPARAM)5));
    EXPECT_EQ(next(msg, PM_NOREMOVE), std::make_tuple(FALSE, 0u, (WPARAM)0));
    // WM_QUIT passes every filter.
    PostQuitMessage(2);
    const auto quit = std::make_tuple(TRUE, (UINT)WM_QUIT, (WPARAM)2);
    EXPECT_EQ(next(msg, PM_NOREMOVE, window()), quit);
    EXPECT_EQ(next(msg, PM_REMOVE, nullptr, WM_KEYDOWN, WM_KEYDOWN), quit);
    EXPECT_EQ(next(msg, PM_NOREMOVE), std::make_tuple(FALSE, 0u, (WPARAM)0));
}

TEST(Messages, TranslatePostsTheCharacterAndDispatchCallsTheProcedure) {
    drain();
    ASSERT_TRUE(PostMessageA(window(), WM_KEYDOWN, VK_ESCAPE, 1));
    ASSERT_TRUE(PostMessageA(window(), WM_LBUTTONUP, 3, MAKELPARAM(7, 9)));
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_EQ(next(msg), std::make_tuple(TRUE, (UINT)WM_LBUTTONUP, (WPARAM)3));  // posted before the character
    handled.clear();
    EXPECT_EQ(DispatchMessageA(&msg), 77);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(std::make_tuple(handled[0].hwnd, handled[0].message, handled[0].wParam, handled[0].lParam),
              std::make_tuple(window(), (UINT)WM_LBUTTONUP, (WPARAM)3, (LPARAM)MAKELPARAM(7, 9)));
    EXPECT_EQ(next(msg, PM_REMOVE), std::make_tuple(TRUE, (UINT)WM_CHAR, (WPARAM)VK_ESCAPE));
    EXPECT_EQ(next(msg, PM_REMOVE), std::make_tuple(FALSE, 0u, (WPARAM)0));
}

}  // namespace
