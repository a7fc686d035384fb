// LoadSpriteLibrary on the input as a regular file, and SaveSpriteLibrary of
// what loaded.
#include "fuzz/fuzz_module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string input = scratchFile("input.lspr"), first = scratchFile("first.lspr"),
                             second = scratchFile("second.lspr");
    writeBytes(input, data, size);
    if (!loadAndSave(input, first, LoadSpriteLibrary, SaveSpriteLibrary))
        return 0;
    // Names are cut at 255 bytes and at their first zero byte, so a library
    // may save shorter than it loaded, never longer; once saved, it loads
    // and saves back to the same bytes.
    const std::vector<uint8_t> saved = readBytes(first);
    if (saved.size() > size)
        fail("a saved library is longer than its input");
    if (!loadAndSave(first, second, LoadSpriteLibrary, SaveSpriteLibrary) || readBytes(second) != saved)
        fail("a saved library does not load and save back to itself");
    return 0;
}
