// Sprite files and sprite library files, loaded and saved through the
// Vornak module's exports (vornak/vornak.h). What a load fills in belongs to
// the module and lives as long as the process.
#ifndef CLI_SPRITE_FILES_H
#define CLI_SPRITE_FILES_H

#include "common/sprite_records.h"

#include <cstdint>
#include <string>

// Each returns false with one line in error that names the path.
bool loadSpriteFile(const std::string &path, SpriteRecord &sprite, std::string &error);
bool loadLibraryFile(const std::string &path, SpriteLibraryRecord &library, std::string &error);
bool saveSpriteFile(const std::string &path, const SpriteRecord &sprite, std::string &error);
bool saveLibraryFile(const std::string &path, const SpriteLibraryRecord &library, std::string &error);

// Frames of all sprites.
uint64_t frameTotal(const SpriteLibraryRecord &library);

#endif
