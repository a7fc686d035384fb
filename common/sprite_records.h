/* The records that carry sprites across the boundary between the viewer and
 * the sprite file module, and the signatures of the module's four exports.
 *
 * Plain C, natural alignment, fixed-width fields; the same declaration serves
 * both sides on 32-bit and 64-bit targets (the layouts are checked below).
 *
 * Sprite i's frame f is element f of each per-frame array of SpriteRecord.
 * Memory that a load fills in belongs to the module: the caller never frees
 * it, and it is gone once the module is unloaded. For a save the caller owns
 * the record and the module only reads it.
 */
#ifndef COMMON_SPRITE_RECORDS_H
#define COMMON_SPRITE_RECORDS_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SpriteRecord {
    uint32_t tag; /* opaque, stored and restored unchanged */
    uint16_t frameCount;
    uint16_t auxWord;         /* opaque */
    uint16_t bitsPerPixel;    /* 16 or 24 for pixels the viewer can show */
    uint8_t hasOptionalBlock; /* 0: no optional blocks; else every frame has one */
    uint32_t *frameTags;
    uint16_t *width;
    uint16_t *height;
    uint16_t *originX;
    uint16_t *originY;
    uint16_t *offsetX;
    uint16_t *offsetY;
    uint16_t *spare1;
    uint16_t *spare2;
    int32_t *extraSize; /* byte counts: zero or less means no bytes */
    uint8_t **extraData;
    int32_t *pixelSize;
    uint8_t **pixelData; /* rows top down, no padding */
    int32_t *optionalSize;
    uint8_t **optionalData;
} SpriteRecord;

typedef struct SpriteLibraryRecord {
    uint32_t tag1; /* opaque header values */
    uint32_t tag2;
    uint32_t tag3;
    int32_t spriteCount; /* zero or less means none */
    char **names;        /* loaded names: 256-byte zero-filled buffers */
    int32_t *spriteIds;
    SpriteRecord **sprites;
} SpriteLibraryRecord;

/* The exports: cdecl, (record, path), one-byte boolean result. */
#if defined(_WIN32)
#define VORNAK_CALL __cdecl
#else
#define VORNAK_CALL
#endif

typedef bool(VORNAK_CALL *SaveSpriteProc)(const SpriteRecord *sprite, const char *path);
typedef bool(VORNAK_CALL *LoadSpriteProc)(SpriteRecord *sprite, const char *path);
typedef bool(VORNAK_CALL *SaveSpriteLibraryProc)(const SpriteLibraryRecord *library, const char *path);
typedef bool(VORNAK_CALL *LoadSpriteLibraryProc)(SpriteLibraryRecord *library, const char *path);

#ifdef __cplusplus
}
#endif

/* Layout checks: every field's offset on 32-bit and on 64-bit targets. */
#ifdef __cplusplus
#include <cstddef>
#else
#include <stddef.h>
#endif
#if defined(__cplusplus) && __cplusplus >= 201103L
#define SPRITE_RECORDS_ASSERT static_assert
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define SPRITE_RECORDS_ASSERT _Static_assert
#else
/* C99 and C++98 have no static assertion; an array of negative size stops
 * the build instead. */
#define SPRITE_RECORDS_JOIN(a, b) a##b
#define SPRITE_RECORDS_NAME(line) SPRITE_RECORDS_JOIN(sprite_records_check_, line)
#define SPRITE_RECORDS_ASSERT(condition, message) typedef char SPRITE_RECORDS_NAME(__LINE__)[(condition) ? 1 : -1]
#endif

#define SPRITE_RECORDS_AT(type, field, off32, off64)                                                                   \
    SPRITE_RECORDS_ASSERT(offsetof(type, field) == (sizeof(void *) == 8 ? (off64) : (off32)),                          \
                          #type "." #field " is misplaced")

SPRITE_RECORDS_ASSERT(sizeof(bool) == 1, "the exports return a one-byte boolean");
SPRITE_RECORDS_ASSERT(sizeof(void *) == 4 || sizeof(void *) == 8, "32-bit or 64-bit targets only");

SPRITE_RECORDS_AT(SpriteRecord, tag, 0, 0);
SPRITE_RECORDS_AT(SpriteRecord, frameCount, 4, 4);
SPRITE_RECORDS_AT(SpriteRecord, auxWord, 6, 6);
SPRITE_RECORDS_AT(SpriteRecord, bitsPerPixel, 8, 8);
SPRITE_RECORDS_AT(SpriteRecord, hasOptionalBlock, 10, 10);
SPRITE_RECORDS_AT(SpriteRecord, frameTags, 12, 16);
SPRITE_RECORDS_AT(SpriteRecord, width, 16, 24);
SPRITE_RECORDS_AT(SpriteRecord, height, 20, 32);
SPRITE_RECORDS_AT(SpriteRecord, originX, 24, 40);
SPRITE_RECORDS_AT(SpriteRecord, originY, 28, 48);
SPRITE_RECORDS_AT(SpriteRecord, offsetX, 32, 56);
SPRITE_RECORDS_AT(SpriteRecord, offsetY, 36, 64);
SPRITE_RECORDS_AT(SpriteRecord, spare1, 40, 72);
SPRITE_RECORDS_AT(SpriteRecord, spare2, 44, 80);
SPRITE_RECORDS_AT(SpriteRecord, extraSize, 48, 88);
SPRITE_RECORDS_AT(SpriteRecord, extraData, 52, 96);
SPRITE_RECORDS_AT(SpriteRecord, pixelSize, 56, 104);
SPRITE_RECORDS_AT(SpriteRecord, pixelData, 60, 112);
SPRITE_RECORDS_AT(SpriteRecord, optionalSize, 64, 120);
SPRITE_RECORDS_AT(SpriteRecord, optionalData, 68, 128);
SPRITE_RECORDS_ASSERT(sizeof(SpriteRecord) == (sizeof(void *) == 8 ? 136 : 72), "SpriteRecord size");

SPRITE_RECORDS_AT(SpriteLibraryRecord, tag1, 0, 0);
SPRITE_RECORDS_AT(SpriteLibraryRecord, tag2, 4, 4);
SPRITE_RECORDS_AT(SpriteLibraryRecord, tag3, 8, 8);
SPRITE_RECORDS_AT(SpriteLibraryRecord, spriteCount, 12, 12);
SPRITE_RECORDS_AT(SpriteLibraryRecord, names, 16, 16);
SPRITE_RECORDS_AT(SpriteLibraryRecord, spriteIds, 20, 24);
SPRITE_RECORDS_AT(SpriteLibraryRecord, sprites, 24, 32);
SPRITE_RECORDS_ASSERT(sizeof(SpriteLibraryRecord) == (sizeof(void *) == 8 ? 40 : 28), "SpriteLibraryRecord size");

#undef SPRITE_RECORDS_AT
#undef SPRITE_RECORDS_ASSERT
#undef SPRITE_RECORDS_NAME
#undef SPRITE_RECORDS_JOIN

#endif
