#include "tools/canvas.h"

#include "common/stored_pixels.h"

#include <algorithm>
#include <cmath>

namespace world {

namespace {

uint8_t clampChannel(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// Channels below 8 vanish in a 5-bit reduction; a colour made only of such
// channels would turn into the transparent value.
Rgb visible(Rgb c) {
    if (c.r < 8 && c.g < 8 && c.b < 8)
        return {8, 8, 8};
    return c;
}

}  // namespace

Rgb shade(Rgb c, int delta) {
    return {clampChannel(c.r + delta), clampChannel(c.g + delta), clampChannel(c.b + delta)};
}

Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](uint8_t from, uint8_t to) {
        return clampChannel(static_cast<int>(std::lround(from + (to - from) * t)));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

uint32_t hashPoint(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

void pack16(Rgb c, uint8_t *out) {
    packStored16(c.r, c.g, c.b, 0, out);
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height),
      mask_(static_cast<size_t>(width) * height, 0) {}

void Canvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const size_t i = static_cast<size_t>(y) * width_ + x;
    pixels_[i] = c;
    mask_[i] = 1;
}

bool Canvas::covered(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return mask_[static_cast<size_t>(y) * width_ + x] != 0;
}

Rgb Canvas::at(int x, int y) const {
    if (!covered(x, y))
        return {0, 0, 0};
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::fillPolygon(const std::vector<PointF> &points, Rgb c) {
    if (points.size() < 3)
        return;
    for (int y = 0; y < height_; ++y) {
        const double py = y + 0.5;
        for (int x = 0; x < width_; ++x) {
            const double px = x + 0.5;
            bool inside = false;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const PointF &a = points[i];
                const PointF &b = points[j];
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
                    inside = !inside;
            }
            if (inside)
                set(x, y, c);
        }
    }
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Rgb c) {
    fillLitEllipse(cx, cy, rx, ry, c, 0);
}

void Canvas::fillLitEllipse(double cx, double cy, double rx, double ry, Rgb c, int contrast) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double nx = (x + 0.5 - cx) / rx;
            const double ny = (y + 0.5 - cy) / ry;
            const double d = nx * nx + ny * ny;
            if (d > 1.0)
                continue;
            // Light falls from the upper left; the rim darkens a little.
            const double lit = -(nx * 0.6 + ny * 0.8) - 0.35 * d;
            set(x, y, shade(c, static_cast<int>(std::lround(lit * contrast))));
        }
    }
}

void Canvas::fillRect(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            set(i, j, c);
}

void Canvas::line(double x0, double y0, double x1, double y1, double thickness, Rgb c) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double lengthSquared = dx * dx + dy * dy;
    const double reach = thickness / 2;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double px = x + 0.5 - x0;
            const double py = y + 0.5 - y0;
            const double t = lengthSquared > 0 ? std::clamp((px * dx + py * dy) / lengthSquared, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx;
            const double ey = py - t * dy;
            if (ex * ex + ey * ey <= reach * reach)
                set(x, y, c);
        }
    }
}

std::vector<uint8_t> Canvas::pack(uint16_t bitsPerPixel) const {
    const size_t bytesPerPixel = bitsPerPixel == 24 ? 3 : 2;
    std::vector<uint8_t> block(pixels_.size() * bytesPerPixel, 0);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        if (!mask_[i])
            continue;
        const Rgb c = visible(pixels_[i]);
        uint8_t *out = &block[i * bytesPerPixel];
        if (bytesPerPixel == 3)
            packStored24(c.r, c.g, c.b, out);
        else
            pack16(c, out);
    }
    return block;
}

}  // namespace world
