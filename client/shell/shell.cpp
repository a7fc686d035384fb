#include "client/shell/shell.h"

#include <cstdlib>

#include "client/shell/globals.h"

namespace {

constexpr char kWindowClassName[] = "Client";
constexpr char kSpriteLibraryPath[] = "sprites/test.lspr";
constexpr char kMapPath[] = "maps/test.map";

}  // namespace

HWND createMainWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(0, kWindowClassName, "Client", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        std::exit(-1);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        g_mouseX = static_cast<int32_t>(lParam & 0xFFFF);
        g_mouseY = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
        return 0;
    case WM_LBUTTONUP: {
        // The last WM_MOUSEMOVE position, not this message's own.
        const MapPoint centre = g_mapView.pick(g_mouseX, g_mouseY);
        g_mapView.centerX = centre.x;
        g_mapView.centerY = centre.y;
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    case WM_ERASEBKGND: return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool setupDisplay(HWND window) {
    g_display.bitDepth = kBitDepth;
    g_display.screenWidth = kScreenWidth;
    g_display.screenHeight = kScreenHeight;
    g_display.directDraw = &g_directDraw;
    g_display.primarySurface = &g_primarySurface;
    g_display.backBuffer = &g_backBuffer;
    g_display.fullScreen = true;
    return g_display.initialize(window);
}

bool loadSceneSprites(const char *path) {
    g_spriteLibrary.display = &g_display;
    return g_spriteLibrary.loadSprites(path);
}

bool loadSceneMap(const char *path) {
    g_mapData = MapData{};
    g_map.data = &g_mapData;
    return g_map.load(path, g_spriteLibrary);
}

void buildSceneObjects() {
    g_objectList.map = &g_mapData;
    g_objectList.rebuild();
}

void placeView(const ViewPlacement &placement) {
    g_mapView.objects = &g_objectList;
    g_mapView.map = &g_mapData;
    g_mapView.centerX = placement.centerX;
    g_mapView.centerY = placement.centerY;
    g_mapView.radiusX = placement.radiusX;
    g_mapView.radiusY = placement.radiusY;
    g_mapView.screenCenterX = placement.screenCenterX;
    g_mapView.screenCenterY = placement.screenCenterY;
    g_mapView.drawSprite = drawViewSprite;
}

bool setupScene() {
    if (!loadSceneSprites(kSpriteLibraryPath) || !loadSceneMap(kMapPath))
        return false;
    buildSceneObjects();
    placeView(kStartView);
    return true;
}

void drawScene() {
    g_display.clearBackBuffer(0);
    g_mapView.draw();
}

bool runFrame() {
    // A display that failed to initialise has no surfaces to draw through; a
    // view the scene setup did not finish draws nothing.
    if (!g_display.initialized)
        return false;
    drawScene();
    return g_display.present();
}

// The display's back buffer field names g_backBuffer in the client; the map
// renderer points it at a surface of its own.
bool drawViewSprite(int32_t sprite, int32_t x, int32_t y) {
    if (sprite < 0 || static_cast<size_t>(sprite) >= g_spriteLibrary.entries.size())
        return false;
    return g_spriteLibrary.entries[static_cast<size_t>(sprite)].drawAt(g_display, g_display.backBuffer, x, y);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = createMainWindow(instance);
    setupDisplay(window);
    setupScene();

    MSG message{};
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&message, nullptr, 0, 0) == 0)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        runFrame();
    }
    return static_cast<int>(message.wParam);
}
