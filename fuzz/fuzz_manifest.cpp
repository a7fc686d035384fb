// The manifest reader and the PNG decoder behind it. The input is the
// manifest's text, a zero byte, then the bytes that every file it names
// holds. Reading may fail, but always with a reason.
#include "cli/manifest.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto *split = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const uint8_t *end = data + size;
    const std::string text(data, split ? split : end);
    const std::vector<uint8_t> file(split ? split + 1 : end, end);
    const FileReader readFile = [&file](const std::string &, uint64_t maxBytes, std::vector<uint8_t> &bytes,
                                        std::string &error) {
        if (file.size() > maxBytes) {
            error = "too large";
            return false;
        }
        bytes = file;
        return true;
    };
    ManifestLimits limits;  // small enough for the fuzzer's memory limit
    limits.png = {4096, uint64_t(16) << 20};
    limits.maxTotalBytes = uint64_t(64) << 20;
    SpriteSet set;
    std::string error;
    if (!readManifest(text, readFile, limits, set, error) && error.empty())
        std::abort();
    return 0;
}
