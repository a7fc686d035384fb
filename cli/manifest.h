// The manifest of an exported sprite library or sprite file: JSON that names
// a PNG per frame and a file per block that a picture cannot hold. Its keys
// and rules are documented in docs/manifest.md; writing and reading both
// live here.
#ifndef CLI_MANIFEST_H
#define CLI_MANIFEST_H

#include "common/png_image.h"
#include "common/sprite_records.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using OrderedJson = nlohmann::ordered_json;

// Writing. The files an export wrote for one frame, by their names in the
// manifest; empty when not written. keepDark lists pixel indices.
struct FrameFiles {
    std::string image, spareBits, pixels, extra, optional;
    std::vector<uint32_t> keepDark;
};

OrderedJson frameEntry(const SpriteRecord &sprite, size_t frame, const FrameFiles &files);
// Header fields and frames of one sprite; a library's sprites get their name
// and identifier in front with librarySpriteEntry.
OrderedJson spriteEntry(const SpriteRecord &sprite, OrderedJson frames);
OrderedJson librarySpriteEntry(const std::string &name, int32_t id, OrderedJson sprite);
OrderedJson libraryManifest(const SpriteLibraryRecord &library, OrderedJson sprites);
OrderedJson spriteManifest(OrderedJson sprite);

// Reading: sprites owned by the caller, one struct per frame.
struct FrameData {
    uint32_t tag = 0;
    uint16_t width = 0, height = 0, originX = 0, originY = 0, offsetX = 0, offsetY = 0, spare1 = 0, spare2 = 0;
    int32_t extraSize = 0, pixelSize = 0, optionalSize = 0;  // blocks hold max(size, 0) bytes
    std::vector<uint8_t> extra, pixels, optional;
};

struct SpriteData {
    std::string name;  // library sprites only
    int32_t id = 0;
    uint32_t tag = 0;
    uint16_t auxWord = 0, bitsPerPixel = 0;
    uint8_t translucent = 0;  // the hasOptionalBlock byte
    std::vector<FrameData> frames;
};

struct SpriteSet {
    bool singleSprite = false;  // a sprite file: sprites holds exactly one
    uint32_t tag1 = 0, tag2 = 0, tag3 = 0;
    int32_t spriteCount = 0;  // a library's count: sprites.size(), or a stored count of 0 or less
    std::vector<SpriteData> sprites;
};

struct ManifestLimits {
    PngLimits png{65535, uint64_t(1) << 30};
    uint64_t maxTotalBytes = uint64_t(2) << 30;  // of all blocks together
};

// Hands out the bytes of a file the manifest names: false with a one-line
// reason when it cannot, or when the file holds more than maxBytes.
using FileReader =
    std::function<bool(const std::string &name, uint64_t maxBytes, std::vector<uint8_t> &bytes, std::string &error)>;

// False with one line in error, starting with where in the manifest it is.
bool readManifest(const std::string &text, const FileReader &readFile, const ManifestLimits &limits, SpriteSet &set,
                  std::string &error);

#endif
