#include "vornak/vornak.h"

#include "vornak/byte_stream.h"
#include "vornak/file_system.h"
#include "vornak/module_heap.h"
#include "vornak/sprite_format.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(&SaveSprite), SaveSpriteProc>);
static_assert(std::is_same_v<decltype(&LoadSprite), LoadSpriteProc>);
static_assert(std::is_same_v<decltype(&SaveSpriteLibrary), SaveSpriteLibraryProc>);
static_assert(std::is_same_v<decltype(&LoadSpriteLibrary), LoadSpriteLibraryProc>);

namespace {

constexpr size_t kStreamBufferBytes = size_t{64} << 10;

// Reads into a fresh record and hands it over only when the whole read
// succeeded; otherwise the arena frees everything the read took.
template <typename Record>
bool loadFile(Record *record, const char *path, bool (*readRecord)(ByteReader &, LoadArena &, Record &)) {
    if (!record || !path)
        return false;
    const Source source = openSource(path);
    if (!source.file)
        return false;
    char buffer[kStreamBufferBytes];
    std::setvbuf(source.file, buffer, _IOFBF, sizeof buffer);
    ByteReader in(source.file, source.limit, source.sized);
    LoadArena arena;
    Record loaded;
    const bool ok = readRecord(in, arena, loaded);
    std::fclose(source.file);
    if (!ok)
        return false;
    arena.keep();
    *record = loaded;
    return true;
}

template <typename Record>
bool saveFile(const Record *record, const char *path, bool (*writeRecord)(ByteWriter &, const Record &)) {
    if (!record || !path)
        return false;
    SaveTarget target(path);
    if (!target.file())
        return false;
    std::setvbuf(target.file(), nullptr, _IONBF, 0);  // ByteWriter buffers
    ByteWriter out(target.file());
    return writeRecord(out, *record) && out.flush() && target.commit();
}

}  // namespace

extern "C" {

bool VORNAK_CALL SaveSprite(const SpriteRecord *sprite, const char *path) {
    return saveFile(sprite, path, writeSprite);
}

bool VORNAK_CALL LoadSprite(SpriteRecord *sprite, const char *path) {
    return loadFile(sprite, path, readSprite);
}

bool VORNAK_CALL SaveSpriteLibrary(const SpriteLibraryRecord *library, const char *path) {
    return saveFile(library, path, writeSpriteLibrary);
}

bool VORNAK_CALL LoadSpriteLibrary(SpriteLibraryRecord *library, const char *path) {
    return loadFile(library, path, readSpriteLibrary);
}
}
