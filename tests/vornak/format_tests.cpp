// The file formats through the four exports, linked directly.
#include "tests/vornak/support/sample_records.h"
#include "vornak/module_heap.h"
#include "vornak/vornak.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

std::vector<uint8_t> hexBytes(const char *text) {
    std::vector<uint8_t> bytes;
    for (const char *p = text; *p; ++p)
        if (*p != ' ')
            bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16))), ++p;
    return bytes;
}

void put32(std::vector<uint8_t> &b, uint32_t v) {
    b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

const char *kExampleSpriteHex =
    "00 00 00 00 01 00 00 00 10 00 00 "
    "00 00 00 00 01 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00 "
    "02 00 00 00 34 12";

class SpriteFiles : public ::testing::Test {
protected:
    std::vector<uint8_t> saveSprite(SampleSprite sample, const char *name = "s.spr") {
        const SpriteRecord r = sample.record();
        EXPECT_TRUE(SaveSprite(&r, dir.file(name).c_str()));
        return readFileBytes(dir.file(name));
    }
    std::vector<uint8_t> saveLibrary(SampleLibrary sample, const char *name = "l.lspr") {
        const SpriteLibraryRecord r = sample.record();
        EXPECT_TRUE(SaveSpriteLibrary(&r, dir.file(name).c_str()));
        return readFileBytes(dir.file(name));
    }
    std::string fileOf(const std::vector<uint8_t> &bytes, const char *name = "in.bin") {
        writeFileBytes(dir.file(name), bytes);
        return dir.file(name);
    }
    TempDir dir;
};

TEST_F(SpriteFiles, ByteExactExamples) {
    EXPECT_EQ(saveSprite(exampleSprite()), hexBytes(kExampleSpriteHex));
    EXPECT_EQ(saveSprite(SampleSprite{}), hexBytes("00 00 00 00 00 00 00 00 10 00 00"));

    std::vector<uint8_t> library = hexBytes("00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 01 00 00 00 61 07 00 00 00");
    const std::vector<uint8_t> sprite = hexBytes(kExampleSpriteHex);
    library.insert(library.end(), sprite.begin(), sprite.end());
    EXPECT_EQ(library.size(), 66u);
    EXPECT_EQ(saveLibrary(exampleLibrary()), library);
    EXPECT_EQ(saveLibrary(SampleLibrary{}), std::vector<uint8_t>(16, 0));
}

TEST_F(SpriteFiles, ExamplesLoadBack) {
    SampleSprite example = exampleSprite();
    SpriteRecord sprite{};
    ASSERT_TRUE(LoadSprite(&sprite, fileOf(hexBytes(kExampleSpriteHex)).c_str()));
    EXPECT_EQ(differenceBetween(sprite, example.record()), "");

    SpriteRecord empty{};
    empty.tag = 99;
    ASSERT_TRUE(LoadSprite(&empty, fileOf(std::vector<uint8_t>(11, 0)).c_str()));
    EXPECT_EQ(empty.frameCount, 0);
    EXPECT_EQ(empty.tag, 0u);

    SpriteLibraryRecord library{};
    ASSERT_TRUE(LoadSpriteLibrary(&library, fileOf(saveLibrary(exampleLibrary())).c_str()));
    ASSERT_EQ(library.spriteCount, 1);
    EXPECT_STREQ(library.names[0], "a");
    EXPECT_EQ(library.spriteIds[0], 7);
    EXPECT_EQ(differenceBetween(*library.sprites[0], example.record()), "");

    SpriteLibraryRecord none{};
    ASSERT_TRUE(LoadSpriteLibrary(&none, fileOf(std::vector<uint8_t>(16, 0)).c_str()));
    EXPECT_EQ(none.spriteCount, 0);
}

TEST_F(SpriteFiles, NegativeCountsAreKeptWithoutBytes) {
    SampleSprite sample = exampleSprite();
    sample.hasOptionalBlock = 1;
    sample.frames[0].extraSize = -5;
    sample.frames[0].pixelSize = INT32_MIN;
    sample.frames[0].pixels.clear();
    sample.frames[0].optionalSize = -1;
    const std::vector<uint8_t> bytes = saveSprite(sample);
    EXPECT_EQ(bytes.size(), 11u + 28u + 4u);
    SpriteRecord loaded{};
    ASSERT_TRUE(LoadSprite(&loaded, fileOf(bytes).c_str()));
    EXPECT_EQ(loaded.extraSize[0], -5);
    EXPECT_EQ(loaded.pixelSize[0], INT32_MIN);
    EXPECT_EQ(loaded.optionalSize[0], -1);
    EXPECT_EQ(loaded.pixelData[0], nullptr);

    std::vector<uint8_t> library(12, 0);
    put32(library, static_cast<uint32_t>(-3));
    SampleLibrary negative;
    SpriteLibraryRecord record = negative.record();
    record.spriteCount = -3;
    ASSERT_TRUE(SaveSpriteLibrary(&record, dir.file("neg.lspr").c_str()));
    EXPECT_EQ(readFileBytes(dir.file("neg.lspr")), library);
    library.insert(library.end(), {1, 2, 3});  // ignored: nothing is read after the header
    SpriteLibraryRecord loadedLibrary{};
    ASSERT_TRUE(LoadSpriteLibrary(&loadedLibrary, fileOf(library).c_str()));
    EXPECT_EQ(loadedLibrary.spriteCount, -3);
    EXPECT_EQ(loadedLibrary.names, nullptr);
}

TEST_F(SpriteFiles, NamesAndIdentifiers) {
    SampleLibrary sample;
    sample.names = {"", std::string(255, 'x'), "b"};
    sample.spriteIds = {5, 5, -1};
    sample.sprites = {SampleSprite{}, exampleSprite(), SampleSprite{}};
    SpriteLibraryRecord loaded{};
    ASSERT_TRUE(LoadSpriteLibrary(&loaded, fileOf(saveLibrary(sample)).c_str()));
    ASSERT_EQ(loaded.spriteCount, 3);
    EXPECT_EQ(std::memcmp(loaded.names[0], std::string(256, '\0').data(), 256), 0);
    EXPECT_EQ(std::string(loaded.names[1]), std::string(255, 'x'));
    EXPECT_STREQ(loaded.names[2], "b");
    EXPECT_EQ(loaded.spriteIds[0], 5);
    EXPECT_EQ(loaded.spriteIds[1], 5);
    EXPECT_EQ(loaded.spriteIds[2], -1);
    EXPECT_EQ(loaded.sprites[1]->frameCount, 1);
    EXPECT_EQ(loaded.sprites[1], loaded.sprites[0] + 1);  // one contiguous array of records
}

TEST_F(SpriteFiles, LongNameKeepsFirst255BytesAndStaysInStep) {
    std::vector<uint8_t> bytes(12, 0);
    put32(bytes, 2);
    put32(bytes, 300);
    for (int i = 0; i < 300; ++i)
        bytes.push_back(static_cast<uint8_t>('A' + i % 26));
    put32(bytes, 1);
    bytes.push_back('z');
    for (int32_t id : {41, 42}) {
        put32(bytes, static_cast<uint32_t>(id));
        bytes.insert(bytes.end(), 11, 0);
    }
    SpriteLibraryRecord loaded{};
    ASSERT_TRUE(LoadSpriteLibrary(&loaded, fileOf(bytes).c_str()));
    ASSERT_EQ(std::strlen(loaded.names[0]), 255u);
    EXPECT_EQ(loaded.names[0][254], 'A' + 254 % 26);
    EXPECT_STREQ(loaded.names[1], "z");
    EXPECT_EQ(loaded.spriteIds[0], 41);
    EXPECT_EQ(loaded.spriteIds[1], 42);
}

TEST_F(SpriteFiles, OptionalBlockFlagValues) {
    for (uint8_t flag : {0, 1, 2, 255}) {
        SampleSprite sample = exampleSprite();
        sample.frames.push_back(sample.frames[0]);
        sample.hasOptionalBlock = flag;
        for (SampleFrame &f : sample.frames) {
            f.optionalSize = 3;
            f.optional = {9, 8, 7};
        }
        const std::vector<uint8_t> bytes = saveSprite(sample);
        EXPECT_EQ(bytes.size(), 11u + 2 * (30u + (flag ? 7u : 0u))) << int(flag);
        SpriteRecord loaded{};
        ASSERT_TRUE(LoadSprite(&loaded, fileOf(bytes).c_str()));
        EXPECT_EQ(loaded.hasOptionalBlock, flag);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(loaded.optionalSize[i], flag ? 3 : 0);
            if (flag)
                EXPECT_EQ(loaded.optionalData[i][2], 7);
            else
                EXPECT_EQ(loaded.optionalData[i], nullptr);
        }
    }
}

TEST_F(SpriteFiles, LibraryEntryCutOutIsASpriteFile) {
    std::mt19937 rng(7);
    SampleLibrary sample = randomLibrary(rng, 4, 5, 9);
    const std::vector<uint8_t> library = saveLibrary(sample);
    size_t offset = 16;
    for (const std::string &name : sample.names)
        offset += 4 + name.size();
    for (size_t i = 0; i < sample.sprites.size(); ++i) {
        const std::vector<uint8_t> sprite = saveSprite(sample.sprites[i]);
        ASSERT_LE(offset + 4 + sprite.size(), library.size());
        const std::vector<uint8_t> cut(library.begin() + long(offset) + 4, library.begin() + long(offset + 4 + sprite.size()));
        EXPECT_EQ(cut, sprite) << "sprite " << i;
        SpriteRecord loaded{};
        ASSERT_TRUE(LoadSprite(&loaded, fileOf(cut).c_str()));
        EXPECT_EQ(differenceBetween(loaded, sample.sprites[i].record()), "");
        offset += 4 + sprite.size();
    }
    EXPECT_EQ(offset, library.size());
}

TEST_F(SpriteFiles, SeededRandomRoundTripsAreByteIdentical) {
    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 rng(seed);
        SampleLibrary sample = randomLibrary(rng, int(seed % 9), 12, 17);
        const std::vector<uint8_t> first = saveLibrary(sample, "first");
        SpriteLibraryRecord loaded{};
        ASSERT_TRUE(LoadSpriteLibrary(&loaded, dir.file("first").c_str()));
        ASSERT_TRUE(SaveSpriteLibrary(&loaded, dir.file("second").c_str()));
        EXPECT_EQ(readFileBytes(dir.file("second")), first) << "seed " << seed;
        ASSERT_EQ(loaded.spriteCount, int32_t(sample.names.size()));
        for (size_t i = 0; i < sample.names.size(); ++i) {
            EXPECT_EQ(loaded.names[i], sample.names[i]);
            EXPECT_EQ(loaded.spriteIds[i], sample.spriteIds[i]);
            EXPECT_EQ(differenceBetween(*loaded.sprites[i], sample.sprites[i].record()), "") << seed << ":" << i;
        }

        SampleSprite sprite = randomSprite(rng, 40, 33);
        const std::vector<uint8_t> spriteFile = saveSprite(sprite, "sprite");
        SpriteRecord loadedSprite{};
        ASSERT_TRUE(LoadSprite(&loadedSprite, dir.file("sprite").c_str()));
        ASSERT_TRUE(SaveSprite(&loadedSprite, dir.file("sprite2").c_str()));
        EXPECT_EQ(readFileBytes(dir.file("sprite2")), spriteFile) << "seed " << seed;
    }
}

TEST_F(SpriteFiles, TrailingBytesAreIgnored) {
    std::vector<uint8_t> bytes = hexBytes(kExampleSpriteHex);
    bytes.insert(bytes.end(), {0xde, 0xad});
    SpriteRecord loaded{};
    EXPECT_TRUE(LoadSprite(&loaded, fileOf(bytes).c_str()));
    bytes = saveLibrary(exampleLibrary());
    bytes.push_back(0xff);
    SpriteLibraryRecord library{};
    EXPECT_TRUE(LoadSpriteLibrary(&library, fileOf(bytes).c_str()));
}

TEST_F(SpriteFiles, NullArgumentsAndMissingFilesFail) {
    const size_t chunks = g_moduleHeap.stats().chunkCount;
    EXPECT_FALSE(SaveSprite(nullptr, dir.file("x").c_str()));
    EXPECT_FALSE(SaveSpriteLibrary(nullptr, dir.file("x").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
    SampleSprite sample = exampleSprite();
    const SpriteRecord r = sample.record();
    EXPECT_FALSE(SaveSprite(&r, nullptr));
    EXPECT_FALSE(SaveSprite(&r, dir.file("no/such/folder").c_str()));
    EXPECT_FALSE(LoadSprite(nullptr, dir.file("x").c_str()));
    SpriteRecord sprite{};
    sprite.tag = 5;
    EXPECT_FALSE(LoadSprite(&sprite, dir.file("missing").c_str()));
    EXPECT_EQ(sprite.tag, 5u);
    SpriteLibraryRecord library{};
    EXPECT_FALSE(LoadSpriteLibrary(&library, dir.file("missing").c_str()));
    EXPECT_FALSE(LoadSpriteLibrary(&library, nullptr));
    EXPECT_EQ(g_moduleHeap.stats().chunkCount, chunks);
}

TEST_F(SpriteFiles, SaveOfAnIncompleteRecordFailsAndKeepsTheOldFile) {
    const std::vector<uint8_t> old = saveSprite(exampleSprite(), "keep");
    SpriteRecord broken{};
    broken.frameCount = 2;  // frame arrays missing
    EXPECT_FALSE(SaveSprite(&broken, dir.file("keep").c_str()));
    SampleLibrary sample = exampleLibrary();
    SpriteLibraryRecord library = sample.record();
    library.sprites[0] = nullptr;
    EXPECT_FALSE(SaveSpriteLibrary(&library, dir.file("keep").c_str()));
    EXPECT_EQ(readFileBytes(dir.file("keep")), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no leftovers
}

// Every proper prefix of a valid file is a truncated file.
TEST_F(SpriteFiles, EveryTruncationFailsAndLeavesTheRecordUntouched) {
    std::mt19937 rng(99);
    SampleLibrary sample = randomLibrary(rng, 3, 3, 4);
    sample.sprites[1].hasOptionalBlock = 2;
    for (SampleFrame &f : sample.sprites[1].frames)
        f.optionalSize = 5, f.optional.assign(5, 0x5a);
    const std::vector<uint8_t> library = saveLibrary(sample);
    const std::vector<uint8_t> sprite = saveSprite(sample.sprites[1]);
    const size_t chunks = g_moduleHeap.stats().chunkCount;
    for (size_t length = 0; length < library.size(); ++length) {
        SpriteLibraryRecord record;
        std::memset(&record, 0xab, sizeof record);
        const std::string path = fileOf(std::vector<uint8_t>(library.begin(), library.begin() + long(length)));
        ASSERT_FALSE(LoadSpriteLibrary(&record, path.c_str())) << length;
        SpriteLibraryRecord untouched;
        std::memset(&untouched, 0xab, sizeof untouched);
        ASSERT_EQ(std::memcmp(&record, &untouched, sizeof record), 0) << length;
    }
    for (size_t length = 0; length < sprite.size(); ++length) {
        SpriteRecord record;
        std::memset(&record, 0xcd, sizeof record);
        const std::string path = fileOf(std::vector<uint8_t>(sprite.begin(), sprite.begin() + long(length)));
        ASSERT_FALSE(LoadSprite(&record, path.c_str())) << length;
        SpriteRecord untouched;
        std::memset(&untouched, 0xcd, sizeof untouched);
        ASSERT_EQ(std::memcmp(&record, &untouched, sizeof record), 0) << length;
    }
    EXPECT_EQ(g_moduleHeap.stats().chunkCount, chunks);
}

TEST_F(SpriteFiles, AbsurdCountsFailBeforeAllocating) {
    std::vector<std::vector<uint8_t>> sprites, libraries;
    std::vector<uint8_t> b = {0, 0, 0, 0, 0xff, 0xff, 0, 0, 16, 0, 1};  // 65535 frames, no data
    sprites.push_back(b);
    b = hexBytes(kExampleSpriteHex);
    b.resize(b.size() - 6);
    put32(b, INT32_MAX);  // pixel block of 2 GiB
    sprites.push_back(b);
    b.assign(12, 0);
    put32(b, INT32_MAX);  // 2^31 sprites
    libraries.push_back(b);
    b.assign(12, 0);
    put32(b, 1);
    put32(b, INT32_MAX);  // name of 2 GiB
    b.insert(b.end(), 40, 0);
    libraries.push_back(b);

    g_moduleHeap.resetLargestLoad();
    for (const auto &bytes : sprites) {
        SpriteRecord record{};
        EXPECT_FALSE(LoadSprite(&record, fileOf(bytes).c_str()));
    }
    for (const auto &bytes : libraries) {
        SpriteLibraryRecord record{};
        EXPECT_FALSE(LoadSpriteLibrary(&record, fileOf(bytes).c_str()));
    }
    EXPECT_LT(g_moduleHeap.stats().largestLoadBytes, 4096u);
}

TEST_F(SpriteFiles, EarlierLoadsStayValid) {
    SpriteRecord first{};
    ASSERT_TRUE(LoadSprite(&first, fileOf(saveSprite(exampleSprite())).c_str()));
    SpriteLibraryRecord library{};
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(LoadSpriteLibrary(&library, fileOf(saveLibrary(exampleLibrary())).c_str()));
    EXPECT_EQ(first.pixelData[0][0], 0x34);
    EXPECT_EQ(first.pixelData[0][1], 0x12);
}

// The fuzzers' seeds, and deterministic mutations of them, through both
// loaders: anything may fail, nothing may crash or keep memory on failure.
TEST_F(SpriteFiles, SeedCorpusReplaysThroughTheLoaders) {
    ASSERT_TRUE(writeSeedCorpus(dir.path() / "sprite", dir.path() / "library"));
    std::mt19937 rng(5);
    int seeds = 0;
    for (const char *kind : {"sprite", "library"}) {
        for (const auto &entry : std::filesystem::directory_iterator(dir.path() / kind)) {
            const std::vector<uint8_t> seed = readFileBytes(entry.path());
            ++seeds;
            SpriteRecord sprite{};
            SpriteLibraryRecord library{};
            const bool isSprite = std::strcmp(kind, "sprite") == 0;
            EXPECT_TRUE(isSprite ? LoadSprite(&sprite, entry.path().string().c_str())
                                 : LoadSpriteLibrary(&library, entry.path().string().c_str()));
            for (int round = 0; round < 100; ++round) {
                std::vector<uint8_t> mutated = seed;
                for (int flips = 1 + round % 4; flips > 0 && !mutated.empty(); --flips)
                    mutated[rng() % mutated.size()] = static_cast<uint8_t>(rng());
                const std::string path = fileOf(mutated);
                size_t before = g_moduleHeap.stats().chunkCount;
                if (!LoadSprite(&sprite, path.c_str())) {
                    EXPECT_EQ(g_moduleHeap.stats().chunkCount, before);
                }
                before = g_moduleHeap.stats().chunkCount;
                if (!LoadSpriteLibrary(&library, path.c_str())) {
                    EXPECT_EQ(g_moduleHeap.stats().chunkCount, before);
                }
            }
        }
    }
    EXPECT_EQ(seeds, 16);
}

}  // namespace
