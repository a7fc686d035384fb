// pack: a library or sprite file from a folder's manifest.json and the files
// it names (docs/manifest.md), saved through the module.
#include "cli/command.h"
#include "cli/manifest.h"
#include "cli/sprite_commands.h"
#include "cli/sprite_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <unistd.h>

namespace {

constexpr uint64_t kMaxManifestBytes = uint64_t(64) << 20;

// The fifteen per-frame arrays of one SpriteRecord, pointing into a sprite.
class SpriteArrays {
public:
    SpriteRecord record(SpriteData &s) {
        for (FrameData &f : s.frames) {
            frameTags.push_back(f.tag);
            width.push_back(f.width), height.push_back(f.height);
            originX.push_back(f.originX), originY.push_back(f.originY);
            offsetX.push_back(f.offsetX), offsetY.push_back(f.offsetY);
            spare1.push_back(f.spare1), spare2.push_back(f.spare2);
            extraSize.push_back(f.extraSize), extraData.push_back(f.extra.data());
            pixelSize.push_back(f.pixelSize), pixelData.push_back(f.pixels.data());
            optionalSize.push_back(f.optionalSize), optionalData.push_back(f.optional.data());
        }
        return {s.tag,
                uint16_t(s.frames.size()),
                s.auxWord,
                s.bitsPerPixel,
                s.translucent,
                frameTags.data(),
                width.data(),
                height.data(),
                originX.data(),
                originY.data(),
                offsetX.data(),
                offsetY.data(),
                spare1.data(),
                spare2.data(),
                extraSize.data(),
                extraData.data(),
                pixelSize.data(),
                pixelData.data(),
                optionalSize.data(),
                optionalData.data()};
    }

private:
    std::vector<uint32_t> frameTags;
    std::vector<uint16_t> width, height, originX, originY, offsetX, offsetY, spare1, spare2;
    std::vector<int32_t> extraSize, pixelSize, optionalSize;
    std::vector<uint8_t *> extraData, pixelData, optionalData;
};

bool readWhole(const std::filesystem::path &path, uint64_t maxBytes, std::vector<uint8_t> &bytes, std::string &error) {
    std::error_code failure;
    if (std::filesystem::is_directory(path, failure)) {
        error = path.string() + ": is a folder, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path.string() + ": cannot open: " + std::strerror(errno);
        return false;
    }
    const uint64_t size = std::filesystem::file_size(path, failure);
    if (failure || size > maxBytes) {
        error = path.string() + (failure ? ": cannot read: " + failure.message()
                                         : ": " + std::to_string(size) + " bytes, more than the " +
                                               std::to_string(maxBytes) + " it may hold here");
        return false;
    }
    bytes.resize(size_t(size));
    if (!in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(size))) {
        error = path.string() + ": cannot read";
        return false;
    }
    return true;
}

// Saves through the module and, for "-", copies what it saved to standard
// output: the module writes whole files, and a pipe is not one.
bool save(const SpriteSet &set, const SpriteLibraryRecord &library, const std::string &out, std::string &error) {
    const bool toStdout = out == "-";
    const std::string path =
        toStdout ? (std::filesystem::temp_directory_path() / ("vornak-pack-" + std::to_string(getpid()))).string()
                 : out;
    const bool saved =
        set.singleSprite ? saveSpriteFile(path, *library.sprites[0], error) : saveLibraryFile(path, library, error);
    if (!toStdout || !saved)
        return saved;
    std::ifstream in(path, std::ios::binary);
    std::cout << in.rdbuf() << std::flush;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (!std::cout) {
        error = "standard output: cannot write";
        return false;
    }
    return true;
}

}  // namespace

int packCommand(const std::string &dir, const std::string &out) {
    const std::filesystem::path folder(dir);
    std::vector<uint8_t> text;
    std::string error;
    if (!readWhole(folder / "manifest.json", kMaxManifestBytes, text, error))
        return reportFailure(error);
    const FileReader readFile = [&folder](const std::string &name, uint64_t maxBytes, std::vector<uint8_t> &bytes,
                                          std::string &failure) {
        return readWhole(folder / name, maxBytes, bytes, failure);
    };
    SpriteSet set;
    if (!readManifest(std::string(text.begin(), text.end()), readFile, ManifestLimits(), set, error))
        return reportFailure((folder / "manifest.json").string() + ": " + error);

    std::vector<SpriteArrays> arrays(set.sprites.size());
    std::vector<SpriteRecord> records;
    std::vector<char *> names;
    std::vector<int32_t> ids;
    std::vector<SpriteRecord *> sprites;
    for (size_t i = 0; i < set.sprites.size(); ++i) {
        records.push_back(arrays[i].record(set.sprites[i]));
        names.push_back(set.sprites[i].name.data());
        ids.push_back(set.sprites[i].id);
    }
    for (SpriteRecord &record : records)
        sprites.push_back(&record);
    const SpriteLibraryRecord library{set.tag1,     set.tag2,   set.tag3,      set.spriteCount,
                                      names.data(), ids.data(), sprites.data()};
    return save(set, library, out, error) ? 0 : reportFailure(error);
}
