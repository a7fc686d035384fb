#include "fuzz/fuzz_load.h"
#include "vornak/sprite_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Names are cut at 255 bytes and at their first zero byte, so the bytes
    // written back may be fewer; never more than were consumed.
    size_t consumed = 0;
    const std::vector<uint8_t> written = loadAndWriteBack(data, size, consumed, readSpriteLibrary, writeSpriteLibrary);
    if (written.size() > consumed)
        std::abort();
    return 0;
}
