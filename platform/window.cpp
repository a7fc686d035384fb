// Windows, window classes and the thread's message queue.
//
// Retrieval follows Windows: posted messages first, in the order they were
// posted; then WM_QUIT once PostQuitMessage was called and no posted message
// is left; then input (mouse, keys, window close) in the order it arrived.
// Consecutive mouse moves in the input queue are merged into the last one, as
// Windows does.
#include "platform/core.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <strings.h>
#include <vector>

namespace standin {
namespace {

constexpr size_t kPostedQueueLimit = 10000;  // as Windows: PostMessage fails beyond
constexpr UINT kFirstClassAtom = 0xC000;

struct WindowClass {
    std::string name;
    WNDPROC procedure;
    HBRUSH background;
    ATOM atom;
};

struct Window {
    HWND handle;
    WNDPROC procedure;
    HBRUSH background;
    RECT rect;
    bool visible;
};

struct MessageQueue {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    POINT cursor = {0, 0};
};

struct WindowState {
    std::vector<WindowClass> classes;
    std::vector<Window> windows;
    uintptr_t nextHandle = 0x10010;
    HWND focus = nullptr;
};

WindowState &state() {
    static WindowState *windowState = new WindowState;
    return *windowState;
}

MessageQueue &queue() {
    static thread_local MessageQueue *threadQueue = new MessageQueue;
    return *threadQueue;
}

const WindowClass *findClass(LPCSTR name) {
    if (!name)
        return nullptr;
    for (const WindowClass &windowClass : state().classes)
        if (strcasecmp(windowClass.name.c_str(), name) == 0)
            return &windowClass;
    return nullptr;
}

Window *findWindow(HWND handle) {
    if (!handle)
        return nullptr;
    for (Window &window : state().windows)
        if (window.handle == handle)
            return &window;
    return nullptr;
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = tickCount();
    msg.pt = queue().cursor;
    return msg;
}

bool passesFilter(const MSG &msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Takes the first message of one queue that the filter lets through.
bool takeFrom(std::deque<MSG> &messages, MSG *out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = messages.begin(); it != messages.end(); ++it) {
        if (!passesFilter(*it, window, filterMin, filterMax))
            continue;
        *out = *it;
        if (remove)
            messages.erase(it);
        return true;
    }
    return false;
}

// Finds the next message the filter lets through, in retrieval order. With
// remove set it leaves the queue (and a WM_QUIT clears the quit flag).
bool takeMessage(MSG *out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    MessageQueue &q = queue();
    if (takeFrom(q.posted, out, window, filterMin, filterMax, remove))
        return true;
    // WM_QUIT passes every filter.
    if (q.quitPending) {
        *out = makeMessage(nullptr, WM_QUIT, (WPARAM)q.quitCode, 0);
        if (remove)
            q.quitPending = false;
        return true;
    }
    return takeFrom(q.input, out, window, filterMin, filterMax, remove);
}

// What TranslateMessage makes of a key without shift or lock state.
int characterOfKey(WPARAM key) {
    if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE)
        return (int)key;
    if (key >= '0' && key <= '9')
        return (int)key;
    if (key >= 'A' && key <= 'Z')
        return (int)key - 'A' + 'a';
    return 0;
}

}  // namespace

DWORD tickCount() {
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return (DWORD)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

HWND focusWindow() {
    WindowState &s = state();
    if (s.focus && findWindow(s.focus))
        return s.focus;
    for (auto it = s.windows.rbegin(); it != s.windows.rend(); ++it)
        if (it->visible)
            return it->handle;
    return s.windows.empty() ? nullptr : s.windows.back().handle;
}

void setFocusWindow(HWND window) {
    state().focus = window;
}

bool windowRect(HWND handle, RECT *rect) {
    Window *window = findWindow(handle);
    if (!window)
        return false;
    *rect = window->rect;
    return true;
}

void postInput(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = focusWindow();
    if (!target)
        return;
    MessageQueue &q = queue();
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        q.cursor = POINT{(LONG)(int16_t)LOWORD(lParam), (LONG)(int16_t)HIWORD(lParam)};
    MSG msg = makeMessage(target, message, wParam, lParam);
    if (message == WM_MOUSEMOVE && !q.input.empty() && q.input.back().message == WM_MOUSEMOVE &&
        q.input.back().hwnd == target) {
        q.input.back() = msg;
        return;
    }
    if (q.input.size() < kPostedQueueLimit)
        q.input.push_back(msg);
}

void resetWindows() {
    WindowState &s = state();
    s.classes.clear();
    s.windows.clear();
    s.focus = nullptr;
    MessageQueue &q = queue();
    q.posted.clear();
    q.input.clear();
    q.quitPending = false;
    q.quitCode = 0;
    q.cursor = POINT{0, 0};
}

}  // namespace standin

using namespace standin;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *windowClass) {
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) || !windowClass->lpszClassName ||
        !windowClass->lpszClassName[0] || windowClass->cbClsExtra < 0 || windowClass->cbWndExtra < 0)
        return 0;
    if (findClass(windowClass->lpszClassName))
        return 0;
    std::vector<WindowClass> &classes = state().classes;
    if (classes.size() >= 0x3FFF)
        return 0;
    ATOM atom = (ATOM)(kFirstClassAtom + classes.size());
    classes.push_back(
        WindowClass{windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->hbrBackground, atom});
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD style, int x, int y, int width, int height,
                            HWND parent, HMENU, HINSTANCE, LPVOID) {
    const WindowClass *windowClass = findClass(className);
    if (!windowClass)
        return nullptr;
    if (parent && !findWindow(parent))
        return nullptr;
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    WindowState &s = state();
    HWND handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 0x10;
    RECT rect = {x, y, (LONG)((int64_t)x + width), (LONG)((int64_t)y + height)};
    s.windows.push_back(
        Window{handle, windowClass->procedure, windowClass->background, rect, (style & WS_VISIBLE) != 0});
    return handle;
}

BOOL WINAPI ShowWindow(HWND handle, int showCommand) {
    Window *window = findWindow(handle);
    if (!window)
        return FALSE;
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    window->visible = showCommand != SW_HIDE;
    return wasVisible;
}

int WINAPI GetSystemMetrics(int index) {
    if (index != SM_CXSCREEN && index != SM_CYSCREEN)
        return 0;
    const ScreenMode screen = screenMode();
    return index == SM_CXSCREEN ? screen.width : screen.height;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    // Only the system cursors exist, named by their resource numbers.
    uintptr_t id = reinterpret_cast<uintptr_t>(cursorName);
    if (instance || id < 32512 || id > 32651)
        return nullptr;
    return reinterpret_cast<HCURSOR>(0x10000 + id);
}

HGDIOBJ WINAPI GetStockObject(int object) {
    if (object < 0 || object > 19 || object == 9)
        return nullptr;
    return reinterpret_cast<HGDIOBJ>((uintptr_t)(0x00900010 + object * 0x10));
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        // The default for a close is to destroy the window.
        std::vector<Window> &windows = state().windows;
        for (auto it = windows.begin(); it != windows.end(); ++it)
            if (it->handle == handle) {
                windows.erase(it);
                break;
            }
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        // Erased (nonzero) when the class has a background brush.
        Window *window = findWindow(handle);
        return window && window->background ? 1 : 0;
    }
    return 0;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message)
        return FALSE;
    presenter().pump();
    return takeMessage(message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message)
        return -1;
    if (window && !findWindow(window))
        return -1;
    for (;;) {
        presenter().pump();
        if (takeMessage(message, window, filterMin, filterMax, true))
            return message->message == WM_QUIT ? 0 : TRUE;
        if (!presenter().wait(10)) {
            std::fprintf(stderr, "GetMessageA: the queue is empty and no input can arrive\n");
            return -1;
        }
    }
}

BOOL WINAPI TranslateMessage(const MSG *message) {
    if (!message || message->message != WM_KEYDOWN)
        return FALSE;
    int character = characterOfKey(message->wParam);
    if (character)
        PostMessageA(message->hwnd, WM_CHAR, (WPARAM)character, message->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG *message) {
    if (!message)
        return 0;
    Window *window = findWindow(message->hwnd);
    if (!window)
        return 0;
    WNDPROC procedure = window->procedure;  // the call may change the window list
    if (!procedure)
        return 0;
    return procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !findWindow(window))
        return FALSE;
    MessageQueue &q = queue();
    if (q.posted.size() >= kPostedQueueLimit)
        return FALSE;
    q.posted.push_back(makeMessage(window, message, wParam, lParam));
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    queue().quitPending = true;
    queue().quitCode = exitCode;
}
