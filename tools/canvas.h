// A small picture that the world's sprite painters draw into, and that packs
// itself into a frame's pixel block.
//
// Pixel (x, y) is element y * width + x; x to the right, y down. A pixel is
// either covered (it has a colour) or uncovered; uncovered pixels pack as 0,
// the transparent value. Packed blocks run row by row from the top without
// padding, in the stored layouts of common/sprite_records.h (the 16-bit spare
// bit clear).
#ifndef TOOLS_CANVAS_H
#define TOOLS_CANVAS_H

#include <cstdint>
#include <vector>

#include "tools/world_layout.h"

namespace world {

struct PointF {
    double x;
    double y;
};

// A colour with every channel moved by delta, kept within 0..255.
Rgb shade(Rgb c, int delta);
// a + (b - a) * t, channel by channel, for t in 0..1.
Rgb mix(Rgb a, Rgb b, double t);
// A fixed pseudo-random value for (x, y, seed); no state, same on every run.
uint32_t hashPoint(int32_t x, int32_t y, uint32_t seed);

// The two stored bytes of a 16-bit pixel, channels reduced to 5 bits, the
// spare bit clear (common/stored_pixels.h).
void pack16(Rgb c, uint8_t *out);

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Points outside the picture are ignored.
    void set(int x, int y, Rgb c);
    bool covered(int x, int y) const;
    Rgb at(int x, int y) const;

    // Shapes cover the pixels whose centres (x + 0.5, y + 0.5) lie inside.
    void fillPolygon(const std::vector<PointF> &points, Rgb c);
    void fillEllipse(double cx, double cy, double rx, double ry, Rgb c);
    // An ellipse lit from the upper left: light on that side, shade opposite.
    void fillLitEllipse(double cx, double cy, double rx, double ry, Rgb c, int contrast);
    void fillRect(int x, int y, int w, int h, Rgb c);
    void line(double x0, double y0, double x1, double y1, double thickness, Rgb c);

    // Every covered pixel gets a visible colour: a covered pixel never packs
    // to 0, however dark it was painted.
    std::vector<uint8_t> pack(uint16_t bitsPerPixel) const;

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
    std::vector<uint8_t> mask_;
};

}  // namespace world

#endif
