#include "client/map/map_view.h"

#include <limits>

MapView::MapView() {
    for (int32_t r = 0; r < kHalfTileHeight; ++r) {
        leftEdge[r] = static_cast<int8_t>(18 - 2 * r);
        rightEdge[r] = static_cast<int8_t>(21 + 2 * r);
        leftEdge[kTileHeight - 1 - r] = leftEdge[r];
        rightEdge[kTileHeight - 1 - r] = rightEdge[r];
    }
}

// One half-row: tile (firstX + k, firstY + k) has its cell corner at
// (screenX + 40 k, screenY). 64-bit positions keep a far-off centre exact.
void MapView::drawHalfRow(int64_t firstX, int64_t firstY, int64_t screenX, int64_t screenY) {
    const int64_t sizeX = map->sizeX;
    const int64_t sizeY = map->sizeY;
    for (int64_t k = -1; k <= 2 * int64_t{radiusX}; ++k) {
        const int64_t x = firstX + k;
        const int64_t y = firstY + k;
        if (x >= 0 && x < sizeX && y >= 0 && y < sizeY) {
            drawSprite(map->tileRows[y][x].sprite, static_cast<int32_t>(screenX + kTileWidth * k),
                       static_cast<int32_t>(screenY));
        }
    }
}

bool MapView::draw() {
    if (map == nullptr || objects == nullptr || drawSprite == nullptr)
        return true;

    const int64_t x0 = centerX, y0 = centerY, rx = radiusX, ry = radiusY;
    const int64_t cx = screenCenterX, cy = screenCenterY;
    if (map->tileRows != nullptr) {
        const int64_t rowLeft = cx - kTileWidth * rx;
        for (int64_t r = -1; r <= 2 * ry; ++r) {
            const int64_t firstX = x0 - rx - ry + r;
            const int64_t firstY = y0 - rx + ry - r;
            const int64_t rowTop = cy + kTileHeight * (r - ry);
            drawHalfRow(firstX, firstY, rowLeft - kHalfTileWidth, rowTop - kHalfTileHeight);
            drawHalfRow(firstX + 1, firstY, rowLeft, rowTop);
        }
    }

    if (objects->busy || objects->count < 1)
        return true;
    // An object millions of tiles away lies at a position that 32 bits (plus a
    // sprite's 16-bit offsets) cannot hold; it could never be seen, so skip it.
    constexpr int64_t kReach = std::numeric_limits<int32_t>::max() / 2;
    const ObjectNode *node = objects->first;
    for (int32_t i = 0; i < objects->count && node != nullptr; ++i, node = node->next) {
        const int64_t dx = node->x - x0;
        const int64_t dy = node->y - y0;
        const int64_t sx = cx + kHalfTileWidth * (dx + dy);
        const int64_t sy = cy + kHalfTileHeight * (dx - dy);
        if (sx < -kReach || sx > kReach || sy < -kReach || sy > kReach)
            continue;
        drawSprite(node->sprite, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
    }
    return true;
}

static int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

static int32_t saturate(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

MapPoint MapView::pick(int32_t sx, int32_t sy) const {
    const int64_t fromLeft = int64_t{sx} - screenCenterX + kHalfTileWidth;
    const int64_t fromTop = int64_t{sy} - screenCenterY + kHalfTileHeight;
    const int64_t a = floorDiv(fromLeft, kTileWidth);
    const int64_t b = floorDiv(fromTop, kTileHeight);
    const int64_t px = fromLeft - kTileWidth * a;
    const int64_t py = fromTop - kTileHeight * b;
    int64_t dx = a + b;
    int64_t dy = a - b;
    if (px < leftEdge[py]) {
        if (py <= kHalfTileHeight)
            --dx;
        else
            --dy;
    } else if (px > rightEdge[py]) {
        if (py <= kHalfTileHeight)
            ++dy;
        else
            ++dx;
    }
    return MapPoint{saturate(centerX + dx), saturate(centerY + dy)};
}
