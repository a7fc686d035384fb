/* The four exports of the sprite file module, for code that links the
 * module's objects directly. Callers that load the module at run time use
 * the Proc types of common/sprite_records.h instead.
 *
 * Each returns false for a null record or path, a file that cannot be
 * opened, a load whose file ends before the data its counts announce, and a
 * save whose writing or closing fails, or whose file the process may not
 * write. A failed load leaves the record as it was and keeps nothing
 * allocated; a failed save leaves the file at the path as it was (but for
 * the one case of vornak/file_system.h that writes in place). Memory of a
 * successful load belongs to the module until it is unloaded.
 */
#ifndef VORNAK_VORNAK_H
#define VORNAK_VORNAK_H

#include "common/sprite_records.h"

#if defined(_WIN32)
#define VORNAK_EXPORT
#else
#define VORNAK_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

VORNAK_EXPORT bool VORNAK_CALL SaveSprite(const SpriteRecord *sprite, const char *path);
VORNAK_EXPORT bool VORNAK_CALL LoadSprite(SpriteRecord *sprite, const char *path);
VORNAK_EXPORT bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *library, const char *path);
VORNAK_EXPORT bool VORNAK_CALL LoadSpriteLibrary(SpriteLibraryRecord *library, const char *path);

#ifdef __cplusplus
}
#endif

#endif
