/* Vornak, the sprite file module: four C functions that read and write sprite
 * files (one SpriteRecord) and sprite library files (one SpriteLibraryRecord).
 * The records and the exports' function pointer types are in
 * <vornak/sprite_records.h>; the file formats are described in formats.md
 * (docs/ in the source tree, share/doc/vornak/ once installed).
 *
 * Link the module (find_package(Vornak) gives Vornak::Vornak; pkg-config
 * vornak), or load it at run time and look the exports up by name: SaveSprite,
 * LoadSprite, SaveSpriteLibrary, LoadSpriteLibrary, which Vornak.dll also
 * exports as ordinals 1 to 4. All four are cdecl and return a one-byte bool.
 *
 * Paths are NUL-terminated and opened as given, so a relative path resolves
 * against the working directory. Every function returns false, touching no
 * file, for a null record or path.
 *
 * Memory: what a load puts into a record (every array, name buffer, sprite
 * record and data block) comes from the module's own heap and belongs to the
 * module. It stays valid until the module is unloaded (for a linked module:
 * until the program ends); there is no call to release it, and the caller
 * never frees or resizes any of it. A load into a record that already holds
 * loaded memory replaces the pointers and keeps the old memory alive.
 */
#ifndef VORNAK_VORNAK_H
#define VORNAK_VORNAK_H

#include <vornak/sprite_records.h>

#if defined(_WIN32)
#define VORNAK_EXPORT
#else
#define VORNAK_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Writes sprite to path as a sprite file. The caller owns the record; the
 * module only reads it. False when the file cannot be written (also when the
 * process may not write an existing file, or the path is a loop of links);
 * the path then holds what it held before. A regular file is written beside
 * and renamed into place, keeping its mode, owner and group where the process
 * may set them; anything else (a pipe, a device, /dev/stdout) is written
 * through the path. One save is not atomic: a writable file in a folder where
 * nothing can be created beside it is written in place. */
VORNAK_EXPORT bool VORNAK_CALL SaveSprite(const SpriteRecord *sprite, const char *path);

/* Reads the sprite file at path into *sprite. False when the file cannot be
 * opened or ends before the data its counts announce; *sprite is then
 * unchanged and nothing stays allocated. On true the record's arrays and
 * blocks are module memory (see above). */
VORNAK_EXPORT bool VORNAK_CALL LoadSprite(SpriteRecord *sprite, const char *path);

/* Writes library to path as a sprite library file: names[i] is a
 * NUL-terminated string, sprites[i] may point anywhere. The caller owns the
 * record. Written and refused as by SaveSprite. */
VORNAK_EXPORT bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *library, const char *path);

/* Reads the sprite library file at path into *library. Each name comes back
 * in a zero-filled 256-byte buffer (a longer stored name keeps its first 255
 * bytes); sprites[i] points into one array of records. False as for
 * LoadSprite, with *library unchanged; on true all of it is module memory. */
VORNAK_EXPORT bool VORNAK_CALL LoadSpriteLibrary(SpriteLibraryRecord *library, const char *path);

#ifdef __cplusplus
}
#endif

#endif
