#include "cli/sprite_files.h"

#include "cli/sprite_walk.h"
#include "vornak/vornak.h"

#include <cerrno>
#include <cstring>

namespace {

std::string saveFailure(const std::string &path, int savedErrno) {
    return path + ": cannot write" + (savedErrno ? std::string(": ") + std::strerror(savedErrno) : std::string());
}

}  // namespace

bool loadSpriteFile(const std::string &path, SpriteRecord &sprite, std::string &error) {
    if (LoadSprite(&sprite, path.c_str()))
        return true;
    error = path + ": " + explainRefusal(path, true);
    return false;
}

bool loadLibraryFile(const std::string &path, SpriteLibraryRecord &library, std::string &error) {
    if (LoadSpriteLibrary(&library, path.c_str()))
        return true;
    error = path + ": " + explainRefusal(path, false);
    return false;
}

bool saveSpriteFile(const std::string &path, const SpriteRecord &sprite, std::string &error) {
    errno = 0;
    if (SaveSprite(&sprite, path.c_str()))
        return true;
    error = saveFailure(path, errno);
    return false;
}

bool saveLibraryFile(const std::string &path, const SpriteLibraryRecord &library, std::string &error) {
    errno = 0;
    if (SaveSpriteLibrary(&library, path.c_str()))
        return true;
    error = saveFailure(path, errno);
    return false;
}

uint64_t frameTotal(const SpriteLibraryRecord &library) {
    uint64_t frames = 0;
    for (int32_t i = 0; i < library.spriteCount; ++i)
        frames += library.sprites[i]->frameCount;
    return frames;
}
