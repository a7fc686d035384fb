#include "tests/vornak/support/sample_records.h"

#include "vornak/vornak.h"

#include <cstring>
#include <fstream>
#include <iterator>

SpriteRecord SampleSprite::record() {
    frameTags_.clear();
    for (auto &v : halves_)
        v.clear();
    for (auto &v : sizes_)
        v.clear();
    for (auto &v : data_)
        v.clear();
    for (SampleFrame &f : frames) {
        frameTags_.push_back(f.frameTag);
        const uint16_t halves[8] = {f.width, f.height, f.originX, f.originY, f.offsetX, f.offsetY, f.spare1, f.spare2};
        for (int k = 0; k < 8; ++k)
            halves_[k].push_back(halves[k]);
        const int32_t sizes[3] = {f.extraSize, f.pixelSize, f.optionalSize};
        std::vector<uint8_t> *blocks[3] = {&f.extra, &f.pixels, &f.optional};
        for (int k = 0; k < 3; ++k) {
            sizes_[k].push_back(sizes[k]);
            data_[k].push_back(blocks[k]->empty() ? nullptr : blocks[k]->data());
        }
    }
    SpriteRecord r{};
    r.tag = tag;
    r.frameCount = static_cast<uint16_t>(frames.size());
    r.auxWord = auxWord;
    r.bitsPerPixel = bitsPerPixel;
    r.hasOptionalBlock = hasOptionalBlock;
    r.frameTags = frameTags_.data();
    uint16_t **halfFields[8] = {&r.width, &r.height, &r.originX, &r.originY, &r.offsetX, &r.offsetY, &r.spare1, &r.spare2};
    for (int k = 0; k < 8; ++k)
        *halfFields[k] = halves_[k].data();
    r.extraSize = sizes_[0].data();
    r.extraData = data_[0].data();
    r.pixelSize = sizes_[1].data();
    r.pixelData = data_[1].data();
    r.optionalSize = sizes_[2].data();
    r.optionalData = data_[2].data();
    return r;
}

SpriteLibraryRecord SampleLibrary::record() {
    namePointers_.clear();
    for (std::string &name : names)
        namePointers_.push_back(name.data());
    records_.clear();
    for (SampleSprite &sprite : sprites)
        records_.push_back(sprite.record());
    recordPointers_.clear();
    for (SpriteRecord &r : records_)
        recordPointers_.push_back(&r);
    SpriteLibraryRecord r{};
    r.tag1 = tag1;
    r.tag2 = tag2;
    r.tag3 = tag3;
    r.spriteCount = static_cast<int32_t>(names.size());
    r.names = namePointers_.data();
    r.spriteIds = spriteIds.data();
    r.sprites = recordPointers_.data();
    return r;
}

SampleSprite exampleSprite() {
    SampleSprite s;
    SampleFrame f;
    f.width = 1;
    f.height = 1;
    f.pixelSize = 2;
    f.pixels = {0x34, 0x12};
    s.frames.push_back(f);
    return s;
}

SampleLibrary exampleLibrary() {
    SampleLibrary library;
    library.names = {"a"};
    library.spriteIds = {7};
    library.sprites = {exampleSprite()};
    return library;
}

namespace {

int pick(std::mt19937 &rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// Usually a block of count random bytes; now and then an empty or negative count.
int32_t randomBlock(std::mt19937 &rng, int count, std::vector<uint8_t> &bytes) {
    const int kind = pick(rng, 0, 9);
    if (kind == 0)
        return 0;
    if (kind == 1)
        return -pick(rng, 1, 1 << 20);
    bytes.resize(static_cast<size_t>(count));
    for (uint8_t &b : bytes)
        b = static_cast<uint8_t>(rng());
    return count;
}

}  // namespace

SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide) {
    static const uint8_t kFlags[] = {0, 1, 2, 255};
    SampleSprite s;
    s.tag = static_cast<uint32_t>(rng());
    s.auxWord = static_cast<uint16_t>(rng());
    s.bitsPerPixel = pick(rng, 0, 1) ? 16 : 24;
    s.hasOptionalBlock = kFlags[pick(rng, 0, 3)];
    s.frames.resize(static_cast<size_t>(pick(rng, 0, maxFrames)));
    for (SampleFrame &f : s.frames) {
        f.frameTag = static_cast<uint32_t>(rng());
        f.width = static_cast<uint16_t>(pick(rng, 1, maxSide));
        f.height = static_cast<uint16_t>(pick(rng, 1, maxSide));
        f.originX = static_cast<uint16_t>(rng());
        f.originY = static_cast<uint16_t>(rng());
        f.offsetX = static_cast<uint16_t>(rng());
        f.offsetY = static_cast<uint16_t>(rng());
        f.spare1 = static_cast<uint16_t>(rng());
        f.spare2 = static_cast<uint16_t>(rng());
        f.extraSize = randomBlock(rng, pick(rng, 1, 37), f.extra);
        f.pixelSize = randomBlock(rng, f.width * f.height * s.bitsPerPixel / 8, f.pixels);
        if (s.hasOptionalBlock)
            f.optionalSize = randomBlock(rng, pick(rng, 1, 53), f.optional);
    }
    return s;
}

SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide) {
    SampleLibrary library;
    library.tag1 = static_cast<uint32_t>(rng());
    library.tag2 = static_cast<uint32_t>(rng());
    library.tag3 = static_cast<uint32_t>(rng());
    for (int i = 0; i < spriteCount; ++i) {
        std::string name(static_cast<size_t>(pick(rng, 0, 3) == 0 ? pick(rng, 0, 255) : pick(rng, 1, 24)), ' ');
        for (char &c : name)
            c = static_cast<char>(pick(rng, 1, 255));
        library.names.push_back(name);
        const bool duplicate = i > 0 && pick(rng, 0, 7) == 0;
        library.spriteIds.push_back(duplicate ? library.spriteIds[0] : static_cast<int32_t>(rng()));
        library.sprites.push_back(randomSprite(rng, maxFrames, maxSide));
    }
    return library;
}

namespace {

template <typename T>
bool sameArray(const T *a, const T *b, size_t n) {
    return n == 0 || (a && b && std::memcmp(a, b, n * sizeof(T)) == 0);
}

bool sameBlock(int32_t size, const uint8_t *a, const uint8_t *b) {
    return size <= 0 || (a && b && std::memcmp(a, b, static_cast<size_t>(size)) == 0);
}

}  // namespace

std::string differenceBetween(const SpriteRecord &a, const SpriteRecord &b) {
    if (a.tag != b.tag || a.frameCount != b.frameCount || a.auxWord != b.auxWord ||
        a.bitsPerPixel != b.bitsPerPixel || a.hasOptionalBlock != b.hasOptionalBlock)
        return "header";
    const size_t n = a.frameCount;
    if (!sameArray(a.frameTags, b.frameTags, n) || !sameArray(a.width, b.width, n) ||
        !sameArray(a.height, b.height, n) || !sameArray(a.originX, b.originX, n) ||
        !sameArray(a.originY, b.originY, n) || !sameArray(a.offsetX, b.offsetX, n) ||
        !sameArray(a.offsetY, b.offsetY, n) || !sameArray(a.spare1, b.spare1, n) ||
        !sameArray(a.spare2, b.spare2, n) || !sameArray(a.extraSize, b.extraSize, n) ||
        !sameArray(a.pixelSize, b.pixelSize, n))
        return "frame values";
    for (size_t i = 0; i < n; ++i) {
        if (!sameBlock(a.extraSize[i], a.extraData[i], b.extraData[i]))
            return "extra block of frame " + std::to_string(i);
        if (!sameBlock(a.pixelSize[i], a.pixelData[i], b.pixelData[i]))
            return "pixel block of frame " + std::to_string(i);
        if (a.hasOptionalBlock && (a.optionalSize[i] != b.optionalSize[i] ||
                                   !sameBlock(a.optionalSize[i], a.optionalData[i], b.optionalData[i])))
            return "optional block of frame " + std::to_string(i);
    }
    return "";
}

std::vector<uint8_t> readFileBytes(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool writeSeedCorpus(const std::filesystem::path &spriteDir, const std::filesystem::path &libraryDir) {
    std::filesystem::create_directories(spriteDir);
    std::filesystem::create_directories(libraryDir);
    std::mt19937 rng(20240611);
    std::vector<SampleSprite> sprites = {exampleSprite(), SampleSprite{}};
    for (int i = 0; i < 6; ++i)
        sprites.push_back(randomSprite(rng, 4, 6));
    std::vector<SampleLibrary> libraries = {exampleLibrary(), SampleLibrary{}};
    for (int i = 0; i < 6; ++i)
        libraries.push_back(randomLibrary(rng, 1 + i % 4, 3, 5));
    bool ok = true;
    for (size_t i = 0; i < sprites.size(); ++i) {
        const SpriteRecord r = sprites[i].record();
        ok = SaveSprite(&r, (spriteDir / ("sprite-" + std::to_string(i))).string().c_str()) && ok;
    }
    for (size_t i = 0; i < libraries.size(); ++i) {
        const SpriteLibraryRecord r = libraries[i].record();
        ok = SaveSpriteLibrary(&r, (libraryDir / ("library-" + std::to_string(i))).string().c_str()) && ok;
    }
    return ok;
}

TempDir::TempDir() {
    std::random_device seed;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    do
        path_ = base / ("vornak-test-" + std::to_string(seed()));
    while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
