#include "cli/map_render.h"

#include "cli/sprite_files.h"
#include "client/shell/globals.h"
#include "client/sprites/sprite_module.h"
#include "common/rect.h"
#include "platform/standin.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

constexpr int64_t kHalfTileWidth = MapView::kHalfTileWidth;
constexpr int64_t kHalfTileHeight = MapView::kHalfTileHeight;

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int32_t saturated(int64_t value) {
    return int32_t(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The first frame of a library sprite, as drawViewSprite and drawAt draw it;
// null when they draw nothing for this index.
const SpriteFrame *drawnFrame(int32_t sprite) {
    if (sprite < 0 || size_t(sprite) >= g_spriteLibrary.entries.size())
        return nullptr;
    const SpriteEntry &entry = g_spriteLibrary.entries[size_t(sprite)];
    if (entry.frames.empty() || !entry.frames[0].surface)
        return nullptr;
    return &entry.frames[0];
}

// Where drawAt puts a frame for the reference point (x, y).
Rect placed(const SpriteFrame &frame, int64_t x, int64_t y) {
    const int64_t left = x + frame.offsetX - frame.originX, top = y + frame.offsetY - frame.originY;
    return {left, top, left + frame.width, top + frame.height};
}

// The smallest rectangle holding every rectangle added.
struct Bounds {
    Rect box = {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max(),
                std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min()};
    void add(const Rect &r) {
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    }
};

// The smallest radius whose half-rows reach every offset in [low, high]: the
// view visits offsets -2 r - 2 to 2 r + 1 along each screen axis.
int64_t radiusFor(int64_t low, int64_t high) {
    return std::max<int64_t>({0, floorDiv(high, 2), floorDiv(-low - 1, 2)});
}

bool isFolder(const std::string &path, std::string &error) {
    std::error_code failure;
    if (!std::filesystem::is_directory(path, failure))
        return false;
    error = path + ": is a folder, not a file";
    return true;
}

}  // namespace

bool openMapScene(const std::string &libraryPath, const std::string &mapPath, std::string &error) {
    // Never a window on the screen, wherever a display answers.
    standin::choosePresenter("headless");
    if (!setupDisplay(createMainWindow(nullptr))) {
        error = "cannot set up the display";
        return false;
    }
    if (!g_spriteModule.loadSpriteLibrary) {
        error = "cannot load the Vornak module";
        return false;
    }
    if (!loadSceneSprites(libraryPath.c_str())) {
        SpriteLibraryRecord refused{};
        if (loadLibraryFile(libraryPath, refused, error))
            error = libraryPath + ": cannot be made into display surfaces";
        return false;
    }
    if (isFolder(mapPath, error))
        return false;
    if (!loadSceneMap(mapPath.c_str())) {
        error = mapPath + ": cannot open: " + std::strerror(errno);
        return false;
    }
    return true;
}

MapPicture centredPicture(int32_t x, int32_t y) {
    MapPicture picture;
    picture.width = kScreenWidth;
    picture.height = kScreenHeight;
    picture.view = kStartView;
    picture.view.centerX = x;
    picture.view.centerY = y;
    picture.tileCornerX = kScreenCenterX - kHalfTileWidth * (int64_t(x) + y) - kHalfTileWidth;
    picture.tileCornerY = kScreenCenterY - kHalfTileHeight * (int64_t(x) - y) - kHalfTileHeight;
    return picture;
}

bool wholeMapPicture(MapPicture &picture, std::string &error) {
    // Positions relative to tile (0, 0)'s cell corner. The tiles' offsets
    // along the screen's axes, u = x + y and v = x - y, bound the view's walk.
    Bounds drawn, tileOffsets;
    int64_t spriteBytes = 0;
    const auto draw = [&](const SpriteFrame &frame, int64_t x, int64_t y) {
        drawn.add(placed(frame, x, y));
        spriteBytes += int64_t(frame.width) * frame.height * (g_display.bitDepth / 8);
    };
    for (int32_t y = 0; g_mapData.tileRows && y < g_mapData.sizeY; ++y)
        for (int32_t x = 0; x < g_mapData.sizeX; ++x)
            if (const SpriteFrame *frame = drawnFrame(g_mapData.tileRows[y][x].sprite)) {
                const int64_t u = int64_t(x) + y, v = int64_t(x) - y;
                draw(*frame, kHalfTileWidth * u, kHalfTileHeight * v);
                tileOffsets.add({u, v, u, v});
            }
    const ObjectNode *node = g_objectList.busy ? nullptr : g_objectList.first;
    for (int32_t i = 0; i < g_objectList.count && node; ++i, node = node->next)
        if (const SpriteFrame *frame = drawnFrame(node->sprite)) {
            const int64_t u = int64_t(node->x) + node->y, v = int64_t(node->x) - node->y;
            draw(*frame, kHalfTileWidth * (u + 1), kHalfTileHeight * (v + 1));
        }
    const Rect &box = drawn.box;
    if (box.isEmpty()) {
        error = "nothing to draw: no tile or object names a sprite that the library holds and draws";
        return false;
    }

    picture.width = box.width();
    picture.height = box.height();
    picture.tileCornerX = -box.left;
    picture.tileCornerY = -box.top;
    picture.spriteBytes = spriteBytes;
    // The centre tile is the one under the middle of the picture, so that
    // every position the view computes stays small.
    const int64_t u = floorDiv(box.left + box.width() / 2 - kHalfTileWidth, kHalfTileWidth);
    int64_t v = floorDiv(box.top + box.height() / 2 - kHalfTileHeight, kHalfTileHeight);
    v += (u - v) & 1;  // x = (u + v) / 2 and y = (u - v) / 2 are whole
    ViewPlacement &view = picture.view;
    view.centerX = saturated((u + v) / 2);
    view.centerY = saturated((u - v) / 2);
    const int64_t centreU = int64_t(view.centerX) + view.centerY, centreV = int64_t(view.centerX) - view.centerY;
    view.screenCenterX = saturated(picture.tileCornerX + kHalfTileWidth * (centreU + 1));
    view.screenCenterY = saturated(picture.tileCornerY + kHalfTileHeight * (centreV + 1));
    const Rect &offsets = tileOffsets.box;
    const bool anyTile = offsets.left <= offsets.right;
    view.radiusX = anyTile ? saturated(radiusFor(offsets.left - centreU, offsets.right - centreU)) : 0;
    view.radiusY = anyTile ? saturated(radiusFor(offsets.top - centreV, offsets.bottom - centreV)) : 0;
    return true;
}

bool checkPictureSize(const MapPicture &picture, int scale, std::string &error) {
    const PngLimits limits;
    const int64_t width = picture.width * scale, height = picture.height * scale;
    const double mebibytes = double(width) * double(height) * 3 / (1 << 20);
    if (width <= limits.maxSide && height <= limits.maxSide && uint64_t(width * height * 3) <= limits.maxBytes)
        return true;
    char said[200];
    std::snprintf(said, sizeof said,
                  "the picture would be %lld x %lld pixels (%.0f MiB); the largest is %d pixels a side and %llu MiB",
                  static_cast<long long>(width), static_cast<long long>(height), mebibytes, limits.maxSide,
                  static_cast<unsigned long long>(limits.maxBytes >> 20));
    error = said;
    return false;
}

Canvas::~Canvas() {
    if (surface_)
        surface_->Release();
}

bool Canvas::create(int32_t width, int32_t height, std::string &error) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDraw7 *directDraw = g_display.directDraw ? *g_display.directDraw : nullptr;
    if (width <= 0 || height <= 0 || !directDraw || directDraw->CreateSurface(&desc, &surface_, nullptr) != DD_OK) {
        error =
            "cannot make a drawing surface of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void Canvas::draw(const ViewPlacement &view) {
    IDirectDrawSurface7 **const backBuffer = g_display.backBuffer;
    const RECT screenRect = g_display.screenRect, targetRect = g_display.targetRect;
    g_display.backBuffer = &surface_;
    SetRect(&g_display.screenRect, 0, 0, width_, height_);
    SetRect(&g_display.targetRect, 0, 0, width_, height_);
    placeView(view);
    drawScene();
    g_display.backBuffer = backBuffer;
    g_display.screenRect = screenRect;
    g_display.targetRect = targetRect;
}

Image Canvas::picture(int scale) const {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    if (!surface_ || surface_->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
        return Image();
    Image picture = standin::pictureOfPixels(static_cast<const uint8_t *>(desc.lpSurface), desc.lPitch, width_, height_,
                                             g_display.bitDepth);
    surface_->Unlock(nullptr);
    return scale > 1 ? enlarged(picture, scale) : picture;
}

Image enlarged(const Image &image, int scale) {
    Image big(image.width * scale, image.height * scale, image.channels);
    const size_t pixelBytes = size_t(image.channels), rowBytes = size_t(big.width) * pixelBytes;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t *row = big.at(0, y * scale);
        const uint8_t *from = image.at(0, y);
        for (int32_t x = 0; x < image.width; ++x, from += pixelBytes)
            for (int k = 0; k < scale; ++k, row += pixelBytes)
                std::memcpy(row, from, pixelBytes);
        for (int k = 1; k < scale; ++k)
            std::memcpy(big.at(0, y * scale + k), big.at(0, y * scale), rowBytes);
    }
    return big;
}
