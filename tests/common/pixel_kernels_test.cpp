// Every variant of the pixel loops that this CPU runs, against a plain
// per-pixel reference, on random areas of random surfaces: odd widths and
// positions, rows narrower and wider than a block, keys that match often,
// keys that cannot match. The bytes around each area must stay as they were.
#include "common/pixel_kernels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

enum class Loop { fill, copyKeyed, mix };

struct Area {
    int bytesPerPixel, width, rows, targetX, sourceX;
    ptrdiff_t targetPitch, sourcePitch;
    uint32_t key, value;  // value: the fill's, or the mix's mask for 16 bits
};

uint32_t pixelAt(const std::vector<uint8_t> &bytes, size_t at, int bytesPerPixel) {
    uint32_t value = 0;
    std::memcpy(&value, &bytes[at], size_t(bytesPerPixel));
    return value;
}

// What each loop does to one pixel, as the header states it.
uint32_t reference(Loop loop, const Area &area, uint32_t s, uint32_t t) {
    const uint32_t colourBits = area.bytesPerPixel == 2 ? 0xFFFFu : 0xFFFFFFu;
    if (loop == Loop::fill)
        return area.value;
    if ((s & colourBits) == area.key)
        return t;
    if (loop == Loop::copyKeyed)
        return s;
    const uint32_t mask = area.bytesPerPixel == 2 ? area.value : 0x7F7F7Fu;
    const uint32_t mixed = ((s >> 1) & mask) + ((t >> 1) & mask);
    return area.bytesPerPixel == 2 ? mixed : (mixed | (t & 0xFF000000u));
}

void run(Loop loop, const pixels::Kernels &kernels, const Area &a, uint8_t *target, const uint8_t *source) {
    switch (loop) {
    case Loop::fill:
        if (a.bytesPerPixel == 2)
            kernels.fill16(target, a.targetPitch, a.width, a.rows, uint16_t(a.value));
        else
            kernels.fill32(target, a.targetPitch, a.width, a.rows, a.value);
        break;
    case Loop::copyKeyed:
        (a.bytesPerPixel == 2 ? kernels.copyKeyed16 : kernels.copyKeyed32)(target, a.targetPitch, source, a.sourcePitch,
                                                                           a.width, a.rows, a.key);
        break;
    case Loop::mix:
        if (a.bytesPerPixel == 2)
            kernels.mix16(target, a.targetPitch, source, a.sourcePitch, a.width, a.rows, uint16_t(a.value), a.key);
        else
            kernels.mix32(target, a.targetPitch, source, a.sourcePitch, a.width, a.rows, a.key);
        break;
    }
}

// Empty when the loop left what the reference leaves, else the first
// differences: "(x, y) expected E got G", x and y relative to the area.
std::string check(Loop loop, const pixels::Kernels &kernels, const Area &a, std::mt19937 &random) {
    const int bpp = a.bytesPerPixel;
    std::vector<uint8_t> target(size_t(a.targetPitch) * size_t(a.rows + 2)), source(size_t(a.sourcePitch) * a.rows);
    for (uint8_t &byte : target)
        byte = uint8_t(random());
    // A third of the source pixels are the key, some others differ from it
    // in one bit or only in the unused top byte.
    for (size_t at = 0; at + size_t(bpp) <= source.size(); at += size_t(bpp)) {
        uint32_t value = uint32_t(random());
        switch (random() % 6) {
        case 0:
        case 1: value = a.key; break;
        case 2: value = a.key ^ (1u << (random() % (8 * bpp))); break;
        case 3: value = a.key | 0xAB000000u; break;
        }
        std::memcpy(&source[at], &value, size_t(bpp));
    }
    std::vector<uint8_t> expected = target;
    const size_t firstTarget = size_t(a.targetPitch) + size_t(a.targetX * bpp), firstSource = size_t(a.sourceX * bpp);
    for (int y = 0; y < a.rows; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t t = firstTarget + size_t(y) * size_t(a.targetPitch) + size_t(x * bpp);
            const uint32_t value =
                reference(loop, a, pixelAt(source, firstSource + size_t(y) * a.sourcePitch + x * bpp, bpp),
                          pixelAt(target, t, bpp));
            std::memcpy(&expected[t], &value, size_t(bpp));
        }
    run(loop, kernels, a, target.data() + firstTarget, source.data() + firstSource);

    std::string report;
    for (size_t at = 0, shown = 0; at + size_t(bpp) <= target.size() && shown < 4; at += size_t(bpp)) {
        const uint32_t want = pixelAt(expected, at, bpp), got = pixelAt(target, at, bpp);
        if (want != got) {
            char line[96];
            const long offset = long(at) - long(firstTarget);
            std::snprintf(line, sizeof line, "(%ld, %ld) expected 0x%x got 0x%x\n", (offset % a.targetPitch) / bpp,
                          offset / a.targetPitch, want, got);
            report += line;
            ++shown;
        }
    }
    return report;
}

const char *loopName(Loop loop) {
    return loop == Loop::fill ? "fill" : loop == Loop::copyKeyed ? "keyed copy" : "mix";
}

class PixelKernels : public ::testing::TestWithParam<pixels::Level> {};

TEST_P(PixelKernels, EqualThePlainPerPixelLoopsOnRandomAreas) {
    const pixels::Kernels &kernels = pixels::kernelsFor(GetParam());
    if (!pixels::cpuRuns(GetParam()))
        GTEST_SKIP() << "not run: this CPU has no " << kernels.name;
    std::mt19937 random(20240611);
    auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 3000; ++round) {
        // Each loop with both pixel sizes, both width ranges and both masks.
        const Loop loop = Loop(round % 3);
        const int variant = round / 3;
        Area a;
        a.bytesPerPixel = variant % 2 ? 4 : 2;
        // Widths around the block sizes, then up to a few blocks.
        a.width = variant / 2 % 4 ? between(1, 40) : between(41, 150);
        a.rows = between(1, 5);
        a.targetX = between(0, 9);
        a.sourceX = between(0, 9);
        a.targetPitch = (a.targetX + a.width + between(0, 9)) * a.bytesPerPixel + between(0, 1) * 2;
        a.sourcePitch = (a.sourceX + a.width + between(0, 9)) * a.bytesPerPixel;
        const uint32_t colourBits = a.bytesPerPixel == 2 ? 0xFFFFu : 0xFFFFFFu;
        // Now and then a key wider than the pixel's colour, which matches nothing.
        a.key = round % 17 == 0 ? colourBits + 1 + uint32_t(random() % 7) : uint32_t(random()) & colourBits;
        if (round % 5 == 0)
            a.key = 0;
        a.value = loop == Loop::mix ? (variant / 8 % 2 ? 0x7BEFu : 0x3DEFu)
                                    : uint32_t(random()) & (a.bytesPerPixel == 2 ? 0xFFFFu : ~0u);
        ASSERT_EQ(check(loop, kernels, a, random), "")
            << kernels.name << " " << loopName(loop) << ", " << 8 * a.bytesPerPixel << " bits, " << a.width << " x "
            << a.rows << " at x " << a.targetX << " from x " << a.sourceX << ", key 0x" << std::hex << a.key;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, PixelKernels,
                         ::testing::Values(pixels::Level::baseline, pixels::Level::avx2, pixels::Level::avx512bw),
                         [](const ::testing::TestParamInfo<pixels::Level> &info) {
                             return std::string(pixels::kernelsFor(info.param).name);
                         });

// The calls the display and the stand-in make: the chosen variant, and the
// loops that have only one (copy, 24-bit mix).
TEST(PixelKernelCalls, CopyAndTheTwentyFourBitMixKeepTheirBytesAndTheKey) {
    // 3 x 2 pixels of 24 bits, rows 12 bytes apart; the key is 0x102030.
    const std::vector<uint8_t> source = {0x30, 0x20, 0x10, 0xFF, 0xFF, 0xFF, 0x02, 0x04, 0x06, 0, 0, 0,
                                         0x00, 0x00, 0x00, 0x30, 0x20, 0x10, 0x81, 0x83, 0x85, 0, 0, 0};
    std::vector<uint8_t> target(24, 0x40);
    pixels::mix24(target.data(), 12, source.data(), 12, 3, 2, 0x102030);
    EXPECT_EQ(target, (std::vector<uint8_t>{0x40, 0x40, 0x40, 0x9F, 0x9F, 0x9F, 0x21, 0x22, 0x23, 0x40, 0x40, 0x40,
                                            0x20, 0x20, 0x20, 0x40, 0x40, 0x40, 0x60, 0x61, 0x62, 0x40, 0x40, 0x40}));
    std::vector<uint8_t> copied(24, 0x40);
    pixels::copy(copied.data(), 12, source.data(), 12, 5, 2);
    EXPECT_EQ(std::vector<uint8_t>(copied.begin(), copied.begin() + 6),
              std::vector<uint8_t>({0x30, 0x20, 0x10, 0xFF, 0xFF, 0x40}));
    EXPECT_EQ(std::vector<uint8_t>(copied.begin() + 12, copied.begin() + 18),
              std::vector<uint8_t>({0, 0, 0, 0x30, 0x20, 0x40}));

    // The chosen 16-bit loops: white over white gives 0xF7DE; the key keeps the target.
    const uint16_t whites[3] = {0xFFFF, 0x0000, 0xF800};
    uint16_t under[3] = {0xFFFF, 0x1234, 0x001F};
    pixels::mix16(reinterpret_cast<uint8_t *>(under), 6, reinterpret_cast<const uint8_t *>(whites), 6, 3, 1, 0x7BEF, 0);
    EXPECT_EQ(std::vector<uint16_t>(under, under + 3), std::vector<uint16_t>({0xF7DE, 0x1234, 0x780F}));
    pixels::copyKeyed16(reinterpret_cast<uint8_t *>(under), 6, reinterpret_cast<const uint8_t *>(whites), 6, 3, 1, 0);
    EXPECT_EQ(std::vector<uint16_t>(under, under + 3), std::vector<uint16_t>({0xFFFF, 0x1234, 0xF800}));
}

}  // namespace
