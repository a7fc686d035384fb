// LoadSprite on the input as a regular file, and SaveSprite of what loaded.
#include "fuzz/fuzz_module.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string input = scratchFile("input.spr"), output = scratchFile("saved.spr");
    writeBytes(input, data, size);
    if (!loadAndSave(input, output, LoadSprite, SaveSprite))
        return 0;
    // A sprite file loads field for field: saved back, it is the part of the
    // input that the load read.
    const std::vector<uint8_t> saved = readBytes(output);
    if (saved.size() > size || std::memcmp(saved.data(), data, saved.size()) != 0)
        fail("a saved sprite differs from the bytes it was loaded from");
    return 0;
}
