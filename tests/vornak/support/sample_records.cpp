#include "tests/vornak/support/sample_records.h"

#include "vornak/vornak.h"

#include <array>
#include <fstream>
#include <iterator>

SpriteRecord SampleSprite::record() {
    const size_t n = frameTags.size();
    const auto pad = [n](auto &...v) { (v.resize(n), ...); };
    pad(width, height, originX, originY, offsetX, offsetY, spare1, spare2, extraSize, pixelSize, optionalSize, extra,
        pixels, optional);
    std::vector<std::vector<uint8_t>> *blocks[3] = {&extra, &pixels, &optional};
    for (int k = 0; k < 3; ++k) {
        blockPointers[k].clear();
        for (std::vector<uint8_t> &block : *blocks[k])
            blockPointers[k].push_back(block.empty() ? nullptr : block.data());
    }
    SpriteRecord r{};
    r.tag = tag, r.frameCount = uint16_t(n), r.auxWord = auxWord, r.bitsPerPixel = bitsPerPixel;
    r.hasOptionalBlock = hasOptionalBlock, r.frameTags = frameTags.data();
    r.width = width.data(), r.height = height.data(), r.originX = originX.data(), r.originY = originY.data();
    r.offsetX = offsetX.data(), r.offsetY = offsetY.data(), r.spare1 = spare1.data(), r.spare2 = spare2.data();
    r.extraSize = extraSize.data(), r.pixelSize = pixelSize.data(), r.optionalSize = optionalSize.data();
    r.extraData = blockPointers[0].data(), r.pixelData = blockPointers[1].data();
    r.optionalData = blockPointers[2].data();
    return r;
}

SpriteLibraryRecord SampleLibrary::record() {
    namePointers.clear(), records.clear(), recordPointers.clear(), records.reserve(sprites.size());
    for (std::string &name : names)
        namePointers.push_back(name.data());
    for (SampleSprite &sprite : sprites)
        recordPointers.push_back(&records.emplace_back(sprite.record()));
    return {tag1, tag2, tag3, int32_t(names.size()), namePointers.data(), spriteIds.data(), recordPointers.data()};
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

static int pick(std::mt19937 &rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// Usually a block of count random bytes; now and then an empty or negative count.
static int32_t randomBlock(std::mt19937 &rng, int count, std::vector<uint8_t> &bytes) {
    if (const int kind = pick(rng, 0, 9); kind < 2)
        return kind == 0 ? 0 : -pick(rng, 1, 1 << 20);
    bytes.resize(size_t(count));
    for (uint8_t &b : bytes)
        b = uint8_t(rng());
    return count;
}

SampleSprite randomSprite(std::mt19937 &rng, int maxFrames, int maxSide) {
    SampleSprite s;
    s.tag = uint32_t(rng()), s.auxWord = uint16_t(rng()), s.bitsPerPixel = pick(rng, 0, 1) ? 16 : 24;
    s.hasOptionalBlock = std::array<uint8_t, 4>{0, 1, 2, 255}[size_t(pick(rng, 0, 3))];
    for (int frames = pick(rng, 0, maxFrames); frames > 0; --frames) {
        s.frameTags.push_back(uint32_t(rng()));
        s.width.push_back(uint16_t(pick(rng, 1, maxSide))), s.height.push_back(uint16_t(pick(rng, 1, maxSide)));
        for (std::vector<uint16_t> *v : {&s.originX, &s.originY, &s.offsetX, &s.offsetY, &s.spare1, &s.spare2})
            v->push_back(uint16_t(rng()));
        s.extraSize.push_back(randomBlock(rng, pick(rng, 1, 37), s.extra.emplace_back()));
        const int pixelBytes = s.width.back() * s.height.back() * s.bitsPerPixel / 8;
        s.pixelSize.push_back(randomBlock(rng, pixelBytes, s.pixels.emplace_back()));
        s.optionalSize.push_back(s.hasOptionalBlock ? randomBlock(rng, pick(rng, 1, 53), s.optional.emplace_back())
                                                    : 0);
    }
    return s;
}

SampleLibrary randomLibrary(std::mt19937 &rng, int spriteCount, int maxFrames, int maxSide) {
    SampleLibrary library;
    library.tag1 = uint32_t(rng()), library.tag2 = uint32_t(rng()), library.tag3 = uint32_t(rng());
    for (int i = 0; i < spriteCount; ++i) {
        std::string &name = library.names.emplace_back(pick(rng, 0, 3) ? pick(rng, 1, 24) : pick(rng, 0, 255), ' ');
        for (char &c : name)
            c = char(pick(rng, 1, 255));
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
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

bool writeSeedCorpus(const std::filesystem::path &spriteDir, const std::filesystem::path &libraryDir) {
    std::filesystem::create_directories(spriteDir), std::filesystem::create_directories(libraryDir);
    std::mt19937 rng(20240611);
    bool ok = true;
    for (int i = 0; i < 8; ++i) {
        SampleSprite sprite = i == 0 ? exampleSprite() : i == 1 ? SampleSprite{} : randomSprite(rng, 4, 6);
        SampleLibrary library = i == 0   ? exampleLibrary()
                                : i == 1 ? SampleLibrary{}
                                         : randomLibrary(rng, 1 + (i - 2) % 4, 3, 5);
        const SpriteRecord s = sprite.record();
        const SpriteLibraryRecord l = library.record();
        ok = SaveSprite(&s, (spriteDir / ("sprite-" + std::to_string(i))).string().c_str()) && ok;
        ok = SaveSpriteLibrary(&l, (libraryDir / ("library-" + std::to_string(i))).string().c_str()) && ok;
    }
    return ok;
}
