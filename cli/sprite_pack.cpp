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

#include <sys/stat.h>
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

// Saves through the module. "-" is standard output: a pipe or a device the
// module writes through /dev/stdout itself; anything else (a redirection to
// a file, a socket) gets a copy of what the module saved in a private folder.
bool save(const SpriteSet &set, const SpriteLibraryRecord &library, const std::string &out, std::string &error) {
    auto saveTo = [&](const std::string &path) {
        return set.singleSprite ? saveSpriteFile(path, *library.sprites[0], error)
                                : saveLibraryFile(path, library, error);
    };
    if (out != "-")
        return saveTo(out);
    struct stat st;
    if (fstat(STDOUT_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        std::cout.flush();
        return saveTo("/dev/stdout");
    }
    std::string folder = (std::filesystem::temp_directory_path() / "vornak-pack-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        error = "standard output: cannot make a folder for the copy: " + std::string(std::strerror(errno));
        return false;
    }
    const std::string path = folder + "/out";
    bool saved = saveTo(path);
    if (saved) {
        std::ifstream in(path, std::ios::binary);
        std::cout << in.rdbuf() << std::flush;
        saved = bool(std::cout);
        if (!saved)
            error = "standard output: cannot write";
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return saved;
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
