#include "fuzz/fuzz_load.h"
#include "vornak/sprite_format.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t consumed = 0;
    const std::vector<uint8_t> written = loadAndWriteBack(data, size, consumed, readSprite, writeSprite);
    // A sprite file loads field for field, so writing it back gives exactly
    // the bytes the load consumed.
    if (!written.empty() && (written.size() != consumed || std::memcmp(written.data(), data, consumed) != 0))
        std::abort();
    return 0;
}
