#include "tests/vornak/support/sample_records.h"

#include "vornak/vornak.h"

#include <fstream>
#include <iterator>

SpriteRecord SampleSprite::record() {
    const size_t n = frameTags.size();
    for (std::vector<uint16_t> *v : {&width, &height, &originX, &originY, &offsetX, &offsetY, &spare1, &spare2})
        v->resize(n);
    for (std::vector<int32_t> *v : {&extraSize, &pixelSize, &optionalSize})
        v->resize(n);
    std::vector<std::vector<uint8_t>> *blocks[3] = {&extra, &pixels, &optional};
    for (int k = 0; k < 3; ++k) {
        blocks[k]->resize(n);
        data_[k].clear();
        for (std::vector<uint8_t> &block : *blocks[k])
            data_[k].push_back(block.empty() ? nullptr : block.data());
    }
    return {tag, uint16_t(n), auxWord, bitsPerPixel, hasOptionalBlock, frameTags.data(), width.data(), height.data(),
            originX.data(), originY.data(), offsetX.data(), offsetY.data(), spare1.data(), spare2.data(),
            extraSize.data(), data_[0].data(), pixelSize.data(), data_[1].data(), optionalSize.data(), data_[2].data()};
}

SpriteLibraryRecord SampleLibrary::record() {
    names_.clear(), records_.clear(), pointers_.clear();
    for (std::string &name : names)
        names_.push_back(name.data());
    for (SampleSprite &sprite : sprites)
        records_.push_back(sprite.record());
    for (SpriteRecord &r : records_)
        pointers_.push_back(&r);
    return {tag1, tag2, tag3, int32_t(names.size()), names_.data(), spriteIds.data(), pointers_.data()};
}

SampleSprite exampleSprite() {
    SampleSprite s;
    s.frameTags = {0}, s.width = {1}, s.height = {1}, s.pixelSize = {2}, s.pixels = {{0x34, 0x12}};
    return s;
}

SampleLibrary exampleLibrary() {
    SampleLibrary library;
    library.names = {"a"}, library.spriteIds = {7}, library.sprites = {exampleSprite()};
    return library;
}

namespace {

int pick(std::mt19937 &rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// Usually a block of count random bytes; now and then an empty or negative count.
int32_t randomBlock(std::mt19937 &rng, int count, std::vector<uint8_t> &bytes) {
    const int kind = pick(rng, 0, 9);
    if (kind < 2)
        return kind == 0 ? 0 : -pick(rng, 1, 1 << 20);
    bytes.resize(size_t(count));
    for (uint8_t &b : bytes)
        b = uint8_t(rng());
    return count;
}

}  // namespace

SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide) {
    static const uint8_t kFlags[] = {0, 1, 2, 255};
    SampleSprite s;
    s.tag = uint32_t(rng());
    s.auxWord = uint16_t(rng());
    s.bitsPerPixel = pick(rng, 0, 1) ? 16 : 24;
    s.hasOptionalBlock = kFlags[pick(rng, 0, 3)];
    for (int frames = pick(rng, 0, maxFrames); frames > 0; --frames) {
        s.frameTags.push_back(uint32_t(rng()));
        s.width.push_back(uint16_t(pick(rng, 1, maxSide)));
        s.height.push_back(uint16_t(pick(rng, 1, maxSide)));
        for (std::vector<uint16_t> *v : {&s.originX, &s.originY, &s.offsetX, &s.offsetY, &s.spare1, &s.spare2})
            v->push_back(uint16_t(rng()));
        s.extraSize.push_back(randomBlock(rng, pick(rng, 1, 37), s.extra.emplace_back()));
        const int pixelBytes = s.width.back() * s.height.back() * s.bitsPerPixel / 8;
        s.pixelSize.push_back(randomBlock(rng, pixelBytes, s.pixels.emplace_back()));
        s.optionalSize.push_back(s.hasOptionalBlock ? randomBlock(rng, pick(rng, 1, 53), s.optional.emplace_back()) : 0);
    }
    return s;
}

SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide) {
    SampleLibrary library;
    library.tag1 = uint32_t(rng());
    library.tag2 = uint32_t(rng());
    library.tag3 = uint32_t(rng());
    for (int i = 0; i < spriteCount; ++i) {
        std::string name(size_t(pick(rng, 0, 3) == 0 ? pick(rng, 0, 255) : pick(rng, 1, 24)), ' ');
        for (char &c : name)
            c = char(pick(rng, 1, 255));
        library.names.push_back(name);
        const bool duplicate = i > 0 && pick(rng, 0, 7) == 0;
        library.spriteIds.push_back(duplicate ? library.spriteIds[0] : int32_t(rng()));
        library.sprites.push_back(randomSprite(rng, maxFrames, maxSide));
    }
    return library;
}

std::vector<uint8_t> readFileBytes(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

bool writeSeedCorpus(const std::filesystem::path &spriteDir, const std::filesystem::path &libraryDir) {
    std::filesystem::create_directories(spriteDir);
    std::filesystem::create_directories(libraryDir);
    std::mt19937 rng(20240611);
    std::vector<SampleSprite> sprites = {exampleSprite(), SampleSprite{}};
    std::vector<SampleLibrary> libraries = {exampleLibrary(), SampleLibrary{}};
    for (int i = 0; i < 6; ++i) {
        sprites.push_back(randomSprite(rng, 4, 6));
        libraries.push_back(randomLibrary(rng, 1 + i % 4, 3, 5));
    }
    bool ok = true;
    for (size_t i = 0; i < sprites.size(); ++i) {
        const SpriteRecord s = sprites[i].record();
        const SpriteLibraryRecord l = libraries[i].record();
        ok = SaveSprite(&s, (spriteDir / ("sprite-" + std::to_string(i))).string().c_str()) && ok;
        ok = SaveSpriteLibrary(&l, (libraryDir / ("library-" + std::to_string(i))).string().c_str()) && ok;
    }
    return ok;
}

TempDir::TempDir() {
    std::random_device seed;
    do
        path_ = std::filesystem::temp_directory_path() / ("vornak-test-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
