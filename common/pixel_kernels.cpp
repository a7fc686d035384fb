#include "common/pixel_kernels.h"

#include <cstring>
#include <initializer_list>

#if defined(__x86_64__)
#include <immintrin.h>
#define PIXEL_KERNELS_X86 1
#endif

#define PIXEL_INLINE inline __attribute__((always_inline))

namespace pixels {
namespace {

// Rows go in blocks of 16 (baseline) or 32 (AVX2) bytes, each loaded,
// merged with the target and stored whole. A row's last block ends at its
// last pixel and may overlap the one before; it is computed before any of
// the row is written, so both writes of an overlapped pixel carry the same
// value. Rows narrower than a block take half blocks, then single pixels.
template <typename Pixel, int kBytes>
struct BlockOf;
template <>
struct BlockOf<uint16_t, 16> {
    typedef uint16_t type __attribute__((vector_size(16)));
};
template <>
struct BlockOf<uint16_t, 32> {
    typedef uint16_t type __attribute__((vector_size(32)));
};
template <>
struct BlockOf<uint32_t, 16> {
    typedef uint32_t type __attribute__((vector_size(16)));
};
template <>
struct BlockOf<uint32_t, 32> {
    typedef uint32_t type __attribute__((vector_size(32)));
};

template <typename T>
PIXEL_INLINE T load(const uint8_t *at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
PIXEL_INLINE void store(uint8_t *at, T value) {
    std::memcpy(at, &value, sizeof value);
}

// The merges, each on one pixel and on a block; a block's comparison gives
// all ones in the lanes where the source is the key.
struct KeyedCopy16 {
    uint16_t key;
    PIXEL_INLINE uint16_t operator()(uint16_t s, uint16_t t) const { return s == key ? t : s; }
    template <typename B>
    PIXEL_INLINE B operator()(B s, B t) const {
        const B skip = (B)(s == key);
        return (t & skip) | (s & ~skip);
    }
};

struct KeyedCopy32 {
    uint32_t key;
    PIXEL_INLINE uint32_t operator()(uint32_t s, uint32_t t) const { return (s & 0xFFFFFFu) == key ? t : s; }
    template <typename B>
    PIXEL_INLINE B operator()(B s, B t) const {
        const B skip = (B)((s & 0xFFFFFFu) == key);
        return (t & skip) | (s & ~skip);
    }
};

struct Mix16 {
    uint16_t mask, key;
    bool keyed;
    PIXEL_INLINE uint16_t operator()(uint16_t s, uint16_t t) const {
        return (keyed && s == key) ? t : uint16_t(((s >> 1) & mask) + ((t >> 1) & mask));
    }
    template <typename B>
    PIXEL_INLINE B operator()(B s, B t) const {
        const B mixed = ((s >> 1) & mask) + ((t >> 1) & mask);
        return keyed ? ((s == key) ? t : mixed) : mixed;
    }
};

struct Mix32 {
    uint32_t key;
    bool keyed;
    PIXEL_INLINE uint32_t operator()(uint32_t s, uint32_t t) const {
        const uint32_t colour = s & 0xFFFFFFu;
        if (keyed && colour == key)
            return t;
        return (((colour >> 1) & 0x7F7F7Fu) + ((t >> 1) & 0x7F7F7Fu)) | (t & 0xFF000000u);
    }
    template <typename B>
    PIXEL_INLINE B operator()(B s, B t) const {
        const B mixed = (((s >> 1) & 0x7F7F7Fu) + ((t >> 1) & 0x7F7F7Fu)) | (t & 0xFF000000u);
        return keyed ? (((s & 0xFFFFFFu) == key) ? t : mixed) : mixed;
    }
};

template <typename Pixel, int kBlockBytes, typename Merge>
PIXEL_INLINE void mergeRows(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                            int width, int rows, Merge merge) {
    typedef typename BlockOf<Pixel, kBlockBytes>::type Block;
    const int rowBytes = width * int(sizeof(Pixel));
    if (rowBytes < kBlockBytes) {
        if constexpr (kBlockBytes > 16) {
            mergeRows<Pixel, kBlockBytes / 2>(target, targetPitch, source, sourcePitch, width, rows, merge);
        } else {
            for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch)
                for (int x = 0; x < rowBytes; x += int(sizeof(Pixel)))
                    store(target + x, merge(load<Pixel>(source + x), load<Pixel>(target + x)));
        }
        return;
    }
    const int last = rowBytes - kBlockBytes;
    for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch) {
        const Block lastBlock = merge(load<Block>(source + last), load<Block>(target + last));
        for (int x = 0; x < last; x += kBlockBytes)
            store(target + x, merge(load<Block>(source + x), load<Block>(target + x)));
        store(target + last, lastBlock);
    }
}

template <typename Pixel, int kBlockBytes>
PIXEL_INLINE void fillRows(uint8_t *target, ptrdiff_t pitch, int width, int rows, Pixel value) {
    typedef typename BlockOf<Pixel, kBlockBytes>::type Block;
    const int rowBytes = width * int(sizeof(Pixel));
    if (rowBytes < kBlockBytes) {
        if constexpr (kBlockBytes > 16) {
            fillRows<Pixel, kBlockBytes / 2>(target, pitch, width, rows, value);
        } else {
            for (int y = 0; y < rows; ++y, target += pitch)
                for (int x = 0; x < rowBytes; x += int(sizeof(Pixel)))
                    store(target + x, value);
        }
        return;
    }
    const Block block = Block{} + value;
    const int last = rowBytes - kBlockBytes;
    for (int y = 0; y < rows; ++y, target += pitch) {
        for (int x = 0; x < last; x += kBlockBytes)
            store(target + x, block);
        store(target + last, block);
    }
}

// One set of loops per block size, compiled for the instruction set of the
// functions that call it.
template <int kBlockBytes>
struct Loops {
    static PIXEL_INLINE void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value) {
        fillRows<uint16_t, kBlockBytes>(target, pitch, width, rows, value);
    }
    static PIXEL_INLINE void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value) {
        fillRows<uint32_t, kBlockBytes>(target, pitch, width, rows, value);
    }
    static PIXEL_INLINE void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,
                                         ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {
        if (key > 0xFFFFu)
            copy(target, targetPitch, source, sourcePitch, width * 2, rows);
        else
            mergeRows<uint16_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows,
                                             KeyedCopy16{uint16_t(key)});
    }
    static PIXEL_INLINE void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,
                                         ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {
        if (key > 0xFFFFFFu)
            copy(target, targetPitch, source, sourcePitch, width * 4, rows);
        else
            mergeRows<uint32_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows, KeyedCopy32{key});
    }
    static PIXEL_INLINE void mix16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                                   int width, int rows, uint16_t mask, uint32_t key) {
        if (key > 0xFFFFu)
            mergeRows<uint16_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows,
                                             Mix16{mask, 0, false});
        else
            mergeRows<uint16_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows,
                                             Mix16{mask, uint16_t(key), true});
    }
    static PIXEL_INLINE void mix32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch,
                                   int width, int rows, uint32_t key) {
        if (key > 0xFFFFFFu)
            mergeRows<uint32_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows, Mix32{0, false});
        else
            mergeRows<uint32_t, kBlockBytes>(target, targetPitch, source, sourcePitch, width, rows, Mix32{key, true});
    }
};

// The entry points of one level: Loops<kBlockBytes> compiled with ATTRIBUTES.
#define PIXEL_KERNELS(level, ATTRIBUTES, kBlockBytes)                                                                  \
    ATTRIBUTES void fill16_##level(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value) {            \
        Loops<kBlockBytes>::fill16(target, pitch, width, rows, value);                                                 \
    }                                                                                                                  \
    ATTRIBUTES void fill32_##level(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value) {            \
        Loops<kBlockBytes>::fill32(target, pitch, width, rows, value);                                                 \
    }                                                                                                                  \
    ATTRIBUTES void copyKeyed16_##level(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,                 \
                                        ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {                    \
        Loops<kBlockBytes>::copyKeyed16(target, targetPitch, source, sourcePitch, width, rows, key);                   \
    }                                                                                                                  \
    ATTRIBUTES void copyKeyed32_##level(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,                 \
                                        ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {                    \
        Loops<kBlockBytes>::copyKeyed32(target, targetPitch, source, sourcePitch, width, rows, key);                   \
    }                                                                                                                  \
    ATTRIBUTES void mix16_##level(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,                       \
                                  ptrdiff_t sourcePitch, int width, int rows, uint16_t mask, uint32_t key) {           \
        Loops<kBlockBytes>::mix16(target, targetPitch, source, sourcePitch, width, rows, mask, key);                   \
    }                                                                                                                  \
    ATTRIBUTES void mix32_##level(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,                       \
                                  ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {                          \
        Loops<kBlockBytes>::mix32(target, targetPitch, source, sourcePitch, width, rows, key);                         \
    }

PIXEL_KERNELS(baseline, , 16)
const Kernels kBaseline = {"baseline",           fill16_baseline, fill32_baseline, copyKeyed16_baseline,
                           copyKeyed32_baseline, mix16_baseline,  mix32_baseline};

#if PIXEL_KERNELS_X86
PIXEL_KERNELS(avx2, __attribute__((target("avx2"))), 32)
const Kernels kAvx2 = {"avx2", fill16_avx2, fill32_avx2, copyKeyed16_avx2, copyKeyed32_avx2, mix16_avx2, mix32_avx2};

// AVX-512BW keyed copies: the comparison gives a mask of the pixels to draw
// and a masked store writes those alone, so the target is never read. The
// last block of a row is a masked load and store of the pixels left (masked
// lanes neither fault nor write). The other loops are AVX2's.
#define TARGET_AVX512 __attribute__((target("avx512f,avx512bw,bmi2")))

TARGET_AVX512 void copyKeyed16_avx512bw(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,
                                        ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {
    if (key > 0xFFFFu) {
        copy(target, targetPitch, source, sourcePitch, width * 2, rows);
        return;
    }
    const __m512i keys = _mm512_set1_epi16(short(key));
    const __mmask32 lastPixels = _bzhi_u32(~0u, unsigned((width - 1) % 32 + 1));
    for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch) {
        int x = 0;
        for (; x + 32 < width; x += 32) {
            const __m512i s = _mm512_loadu_si512(source + 2 * x);
            _mm512_mask_storeu_epi16(target + 2 * x, _mm512_cmpneq_epi16_mask(s, keys), s);
        }
        const __m512i s = _mm512_maskz_loadu_epi16(lastPixels, source + 2 * x);
        _mm512_mask_storeu_epi16(target + 2 * x, _mm512_mask_cmpneq_epi16_mask(lastPixels, s, keys), s);
    }
}

TARGET_AVX512 void copyKeyed32_avx512bw(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source,
                                        ptrdiff_t sourcePitch, int width, int rows, uint32_t key) {
    if (key > 0xFFFFFFu) {
        copy(target, targetPitch, source, sourcePitch, width * 4, rows);
        return;
    }
    const __m512i keys = _mm512_set1_epi32(int(key)), colour = _mm512_set1_epi32(0xFFFFFF);
    const __mmask16 lastPixels = __mmask16(_bzhi_u32(0xFFFFu, unsigned((width - 1) % 16 + 1)));
    for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch) {
        int x = 0;
        for (; x + 16 < width; x += 16) {
            const __m512i s = _mm512_loadu_si512(source + 4 * x);
            _mm512_mask_storeu_epi32(target + 4 * x, _mm512_cmpneq_epi32_mask(_mm512_and_si512(s, colour), keys), s);
        }
        const __m512i s = _mm512_maskz_loadu_epi32(lastPixels, source + 4 * x);
        const __mmask16 drawn = _mm512_mask_cmpneq_epi32_mask(lastPixels, _mm512_and_si512(s, colour), keys);
        _mm512_mask_storeu_epi32(target + 4 * x, drawn, s);
    }
}

const Kernels kAvx512bw = {"avx512bw",           fill16_avx2, fill32_avx2, copyKeyed16_avx512bw,
                           copyKeyed32_avx512bw, mix16_avx2,  mix32_avx2};
#endif

Level bestLevel() {
    for (Level level : {Level::avx512bw, Level::avx2})
        if (cpuRuns(level))
            return level;
    return Level::baseline;
}

const Kernels &chosen() {
    static const Kernels &best = kernelsFor(bestLevel());
    return best;
}

}  // namespace

bool cpuRuns(Level level) {
#if PIXEL_KERNELS_X86
    __builtin_cpu_init();
    switch (level) {
    case Level::baseline: return true;
    case Level::avx2: return __builtin_cpu_supports("avx2");
    case Level::avx512bw:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("bmi2");
    }
    return false;
#else
    return level == Level::baseline;
#endif
}

const Kernels &kernelsFor(Level level) {
#if PIXEL_KERNELS_X86
    if (level == Level::avx512bw)
        return kAvx512bw;
    if (level == Level::avx2)
        return kAvx2;
#endif
    (void)level;
    return kBaseline;
}

void fill16(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint16_t value) {
    chosen().fill16(target, pitch, width, rows, value);
}

void fill32(uint8_t *target, ptrdiff_t pitch, int width, int rows, uint32_t value) {
    chosen().fill32(target, pitch, width, rows, value);
}

void copy(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int rowBytes,
          int rows) {
    for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch)
        std::memcpy(target, source, size_t(rowBytes));
}

void copyKeyed16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint32_t key) {
    chosen().copyKeyed16(target, targetPitch, source, sourcePitch, width, rows, key);
}

void copyKeyed32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width,
                 int rows, uint32_t key) {
    chosen().copyKeyed32(target, targetPitch, source, sourcePitch, width, rows, key);
}

void mix16(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint16_t mask, uint32_t key) {
    chosen().mix16(target, targetPitch, source, sourcePitch, width, rows, mask, key);
}

void mix24(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint32_t key) {
    for (int y = 0; y < rows; ++y, target += targetPitch, source += sourcePitch)
        for (int x = 0; x < 3 * width; x += 3) {
            const uint8_t *s = source + x;
            uint8_t *t = target + x;
            const uint32_t from = uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16;
            if (from == key)
                continue;
            const uint32_t to = uint32_t(t[0]) | uint32_t(t[1]) << 8 | uint32_t(t[2]) << 16;
            const uint32_t mixed = ((from >> 1) & 0x7F7F7Fu) + ((to >> 1) & 0x7F7F7Fu);
            t[0] = uint8_t(mixed);
            t[1] = uint8_t(mixed >> 8);
            t[2] = uint8_t(mixed >> 16);
        }
}

void mix32(uint8_t *target, ptrdiff_t targetPitch, const uint8_t *source, ptrdiff_t sourcePitch, int width, int rows,
           uint32_t key) {
    chosen().mix32(target, targetPitch, source, sourcePitch, width, rows, key);
}

}  // namespace pixels
