// The file formats through the four exports, linked directly. Saves are checked byte for byte,
// so a load that saves back to the same bytes gave back every field.
#include "tests/vornak/support/sample_records.h"
#include "vornak/module_heap.h"
#include "vornak/vornak.h"

#include <gtest/gtest.h>

#include <cstring>

#ifndef _WIN32
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes hexBytes(const char *text) {
    Bytes bytes;
    for (const char *p = text; *p; ++p)
        if (*p != ' ')
            bytes.push_back(uint8_t(std::stoi(std::string(p++, 2), nullptr, 16)));
    return bytes;
}

bool save(const SpriteRecord &r, const std::string &path) {
    return SaveSprite(&r, path.c_str());
}
bool save(const SpriteLibraryRecord &r, const std::string &path) {
    return SaveSpriteLibrary(&r, path.c_str());
}
bool loadFrom(SpriteRecord &r, const std::string &path) {
    return LoadSprite(&r, path.c_str());
}
bool loadFrom(SpriteLibraryRecord &r, const std::string &path) {
    return LoadSpriteLibrary(&r, path.c_str());
}

#ifdef _WIN32
constexpr bool kHasPipes = false;
#else
constexpr bool kHasPipes = true;
#endif

const Bytes kSpriteFile = hexBytes("00 00 00 00 01 00 00 00 10 00 00  00 00 00 00 01 00 01 00 00 00 00 00 00 00 00 00 "
                                   "00 00 00 00  00 00 00 00  02 00 00 00 34 12");

class SpriteFiles : public ::testing::Test {
protected:
    template <typename R>
    Bytes saved(R &&r, const char *name = "out") {  // a record, or a sample's record
        if constexpr (requires { r.record(); }) {
            return saved(r.record(), name);
        } else {
            EXPECT_TRUE(save(r, dir.file(name))) << name;
            return readFileBytes(dir.file(name));
        }
    }
    template <typename R>
    bool load(R &r, const Bytes &b, bool throughPipe = false) {
        if (!throughPipe)
            return writeFileBytes(in, b), loadFrom(r, in);
        return loadThroughPipe(r, b);
    }
    template <typename R>
    bool loadThroughPipe(R &r, const Bytes &b);
    TempDir dir;
    const std::string in = dir.file("in");
    std::mt19937 rng{3};
    SampleLibrary large = randomLibrary(rng, 20, 8, 24);  // about 40 KB, so a save is many writes
};

// The bytes arrive through a named pipe from another thread. A load that gives up early closes the pipe on the
// writer, whose write then fails rather than raising SIGPIPE.
template <typename R>
bool SpriteFiles::loadThroughPipe(R &r, const Bytes &b) {
#ifdef _WIN32
    return load(r, b);
#else
    const std::string fifo = dir.file("fifo");
    std::remove(fifo.c_str());
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    void (*handler)(int) = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] { writeFileBytes(fifo, b); });
    const bool loaded = loadFrom(r, fifo);
    writer.join();
    std::signal(SIGPIPE, handler);
    return loaded;
#endif
}

// Each file is saved from its record, loaded with a byte after it (ignored) and saved back to the same bytes.
// The mixed sprite has every field distinct and a second frame with the counts -5, INT32_MIN and 0.
TEST_F(SpriteFiles, ByteExactExamplesSaveLoadAndSaveBack) {
    SampleSprite mixed;
    mixed.tag = 0x04030201, mixed.auxWord = 0x0605, mixed.bitsPerPixel = 24, mixed.hasOptionalBlock = 2;
    mixed.frameTags = {0x14131211, 0x18171615}, mixed.width = {1, 2}, mixed.height = {1};
    mixed.originX = {0x21}, mixed.originY = {0x22}, mixed.offsetX = {0x23}, mixed.offsetY = {0x24};
    mixed.spare1 = {0x25}, mixed.spare2 = {0x26}, mixed.extraSize = {1, -5}, mixed.pixelSize = {3, INT32_MIN};
    mixed.optionalSize = {2}, mixed.extra = {{0xe1}}, mixed.pixels = {{0x31, 0x32, 0x33}},
    mixed.optional = {{0x41, 0x42}};
    const Bytes mixedFile = hexBytes(
        "01 02 03 04 02 00 05 06 18 00 02  11 12 13 14 01 00 01 00 21 00 22 00 23 00 24 00 25 00 26 00 "
        "01 00 00 00 e1  03 00 00 00 31 32 33  02 00 00 00 41 42  15 16 17 18 02 00 00 00 00 00 00 00 00 00 00 "
        "00 00 00 00 00  fb ff ff ff  00 00 00 80  00 00 00 00");
    Bytes library = hexBytes("00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00  01 00 00 00 61  07 00 00 00");
    library.insert(library.end(), kSpriteFile.begin(), kSpriteFile.end());
    ASSERT_TRUE(kSpriteFile.size() == 41 && library.size() == 66);
    const auto check = [&](auto loaded, auto &&sample, const Bytes &file) {
        EXPECT_EQ(saved(sample), file);
        Bytes tailed = file;
        tailed.push_back(0xee);
        ASSERT_TRUE(load(loaded, tailed));
        EXPECT_EQ(saved(loaded), file);
    };
    check(SpriteRecord{}, mixed, mixedFile);
    check(SpriteRecord{}, exampleSprite(), kSpriteFile);
    check(SpriteRecord{}, SampleSprite{}, hexBytes("00 00 00 00 00 00 00 00 10 00 00"));
    check(SpriteLibraryRecord{}, exampleLibrary(), library);
    check(SpriteLibraryRecord{}, SampleLibrary{}, Bytes(16, 0));
    check(SpriteLibraryRecord{}, SpriteLibraryRecord{0, 0, 0, -3, nullptr, nullptr, nullptr},  // nothing after -3
          hexBytes("00 00 00 00 00 00 00 00 00 00 00 00 fd ff ff ff"));

    SpriteRecord first{};
    ASSERT_TRUE(load(first, mixedFile));
    EXPECT_EQ(first.pixelData[1], nullptr);
    SpriteLibraryRecord later{};
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(load(later, library));
    EXPECT_EQ(saved(first), mixedFile) << "later loads changed an earlier one";
}

// A 300-byte name keeps its first 255 bytes, and the load stays in step.
TEST_F(SpriteFiles, NamesAndIdentifiers) {
    const std::string longName = std::string(255, 'L') + std::string(45, 'T');
    SampleLibrary sample;
    sample.names = {longName, "", std::string(255, 'x'), "b"}, sample.spriteIds = {5, 5, -1, 42};
    sample.sprites = {SampleSprite{}, exampleSprite(), SampleSprite{}, exampleSprite()};
    SpriteLibraryRecord loaded{};
    ASSERT_TRUE(load(loaded, saved(sample)));
    ASSERT_EQ(loaded.spriteCount, 4);
    EXPECT_EQ(std::vector<std::string>(loaded.names, loaded.names + 4),
              (std::vector<std::string>{longName.substr(0, 255), "", std::string(255, 'x'), "b"}));
    EXPECT_EQ(std::memcmp(loaded.names[1], std::string(256, '\0').data(), 256), 0);
    EXPECT_EQ(std::vector<int32_t>(loaded.spriteIds, loaded.spriteIds + 4), sample.spriteIds);
    EXPECT_EQ(loaded.sprites[3]->pixelData[0][1], 0x12);
    EXPECT_EQ(loaded.sprites[3], loaded.sprites[0] + 3);  // one contiguous array of records
}

TEST_F(SpriteFiles, OptionalBlockFlagValues) {
    for (uint8_t flag : {0, 1, 2, 255}) {
        SampleSprite sample;
        sample.hasOptionalBlock = flag, sample.frameTags = {1, 2}, sample.optionalSize = {3, 3},
        sample.optional = {{9, 8, 7}, {9, 8, 7}};
        const Bytes file = saved(sample);
        EXPECT_EQ(file.size(), 11u + 2 * (28u + (flag ? 7u : 0u))) << int(flag);
        SpriteRecord loaded{};
        ASSERT_TRUE(load(loaded, file));
        for (int i = 0; i < 2; ++i)  // the size, and the last byte of the block or -1 for none
            EXPECT_EQ(std::tuple(loaded.hasOptionalBlock, loaded.optionalSize[i],
                                 loaded.optionalData[i] ? loaded.optionalData[i][2] : -1),
                      std::tuple(flag, flag ? 3 : 0, flag ? 7 : -1));
    }
}

TEST_F(SpriteFiles, LibraryEntryCutOutIsTheSpriteFile) {
    rng.seed(7);
    SampleLibrary sample = randomLibrary(rng, 4, 5, 9);
    const Bytes library = saved(sample, "library");
    size_t at = 16;
    for (const std::string &name : sample.names)
        at += 4 + name.size();
    for (SampleSprite &sprite : sample.sprites) {
        const Bytes file = saved(sprite);
        ASSERT_LE(at + 4 + file.size(), library.size());
        EXPECT_EQ(Bytes(library.begin() + long(at + 4), library.begin() + long(at + 4 + file.size())), file);
        at += 4 + file.size();
    }
    EXPECT_EQ(at, library.size());
}

TEST_F(SpriteFiles, SeededRandomRoundTripsAreByteIdentical) {
    for (unsigned seed = 1; seed <= 25; ++seed) {
        rng.seed(seed);
        const Bytes library = saved(randomLibrary(rng, int(seed % 9), 12, 17)),
                    sprite = saved(randomSprite(rng, 40, 33));
        SpriteLibraryRecord loadedLibrary{};
        SpriteRecord loadedSprite{};
        ASSERT_TRUE(load(loadedLibrary, library) && load(loadedSprite, sprite)) << "seed " << seed;
        EXPECT_TRUE(saved(loadedLibrary) == library && saved(loadedSprite) == sprite) << "seed " << seed;
    }
}

TEST_F(SpriteFiles, BadArgumentsAndIncompleteRecordsFailAndKeepTheOldFile) {
    const size_t chunks = g_moduleHeap.stats().chunkCount;
    SampleLibrary sample = exampleLibrary();
    SpriteLibraryRecord library = sample.record();
    const Bytes old = saved(library);
    const std::string path = dir.file("out"), missing = dir.file("missing");
    SpriteRecord sprite = *library.sprites[0], noArrays{};
    noArrays.frameCount = 2;
    library.sprites[0] = nullptr;
    EXPECT_FALSE(SaveSpriteLibrary(&library, path.c_str()) || SaveSprite(&noArrays, path.c_str()) ||
                 SaveSprite(nullptr, path.c_str()) || SaveSpriteLibrary(nullptr, path.c_str()));
    EXPECT_FALSE(SaveSprite(&sprite, nullptr) || SaveSprite(&sprite, dir.file("no/folder").c_str()));
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // no leftovers
    EXPECT_FALSE(LoadSprite(nullptr, path.c_str()) || LoadSpriteLibrary(&library, nullptr) ||
                 LoadSprite(&noArrays, missing.c_str()) || LoadSpriteLibrary(&library, missing.c_str()));
    EXPECT_TRUE(noArrays.frameCount == 2 && library.spriteCount == 1) << "a failed load changed its record";
    EXPECT_EQ(g_moduleHeap.stats().chunkCount, chunks);
}

// Every proper prefix of a valid file is a truncated file.
TEST_F(SpriteFiles, EveryTruncationFailsAndLeavesTheRecordUntouched) {
    rng.seed(24);
    SampleLibrary sample = randomLibrary(rng, 3, 3, 4);  // flags 2, 0, 2; 2, 3, 3 frames
    ASSERT_TRUE(sample.sprites[2].hasOptionalBlock == 2 && sample.sprites[2].frameTags.size() == 3);
    const size_t chunks = g_moduleHeap.stats().chunkCount;
    const auto everyPrefixFails = [&](auto record, const Bytes &file) {
        for (size_t length = 0; length < file.size(); ++length) {
            decltype(record) untouched;
            std::memset(&record, 0xab, sizeof record), std::memset(&untouched, 0xab, sizeof untouched);
            ASSERT_FALSE(load(record, Bytes(file.begin(), file.begin() + long(length)))) << length << " bytes";
            ASSERT_EQ(std::memcmp(&record, &untouched, sizeof record), 0) << "changed by " << length << " bytes";
        }
    };
    everyPrefixFails(SpriteLibraryRecord{}, saved(sample));
    everyPrefixFails(SpriteRecord{}, saved(sample.sprites[2]));
    EXPECT_EQ(g_moduleHeap.stats().chunkCount, chunks);
}

// Through a regular file and, where there are pipes, through one: a count is trusted only once the bytes it
// announces are there, so no failed load asks for more than a page.
TEST_F(SpriteFiles, AbsurdCountsFailBeforeAllocating) {
    const std::pair<bool, const char *> files[] = {
        {true, "00 00 00 00 ff ff 00 00 10 00 01"},  // 65535 frames, no data
        {true, "00 00 00 00 01 00 00 00 10 00 00  00 00 00 00 01 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 "
               "00 00 00 00  ff ff ff 7f 00"},  // a pixel block of 2 GiB
        {true, "00 00 00 00 01 00 00 00 10 00 00  00 00 00 00 01 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 "
               "00 00 00 00  00 00 f0 03 00 00 00 00"},                          // 43 bytes, a block of 63 MB
        {false, "00 00 00 00 00 00 00 00 00 00 00 00 60 67 35 00"},              // 3.5 million sprites
        {false, "00 00 00 00 00 00 00 00 00 00 00 00 ff ff ff 7f 00 00 00 00"},  // 2^31 - 1 sprites
        {false, "00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 ff ff ff 7f 00 00 00 00"}};  // a name of 2 GiB
    for (const bool throughPipe : {false, kHasPipes}) {
        for (const auto &[isSprite, hex] : files) {
            g_moduleHeap.resetLargestLoad();
            SpriteRecord sprite{};
            SpriteLibraryRecord library{};
            const Bytes file = hexBytes(hex);
            EXPECT_FALSE(isSprite ? load(sprite, file, throughPipe) : load(library, file, throughPipe)) << hex;
            EXPECT_LT(g_moduleHeap.stats().largestLoadBytes, 4096u) << (throughPipe ? "pipe: " : "file: ") << hex;
        }
    }
}

// The fuzzers' seeds load; mutations of them may fail, but never crash or keep memory.
TEST_F(SpriteFiles, SeedCorpusReplaysThroughTheLoaders) {
    ASSERT_TRUE(writeSeedCorpus(dir.path() / "sprite", dir.path() / "library"));
    rng.seed(5);
    int seeds = 0;
    SpriteRecord sprite{};
    SpriteLibraryRecord library{};
    for (const char *kind : {"sprite", "library"})
        for (const auto &entry : fs::directory_iterator(dir.path() / kind)) {
            const Bytes seed = readFileBytes(entry.path());
            EXPECT_TRUE(kind[0] == 's' ? load(sprite, seed) : load(library, seed)) << entry.path();
            for (int round = 0; round < 200; ++round) {
                Bytes mutated = seed;
                for (int flips = 1 + round % 4; flips > 0; --flips)
                    mutated[rng() % mutated.size()] = uint8_t(rng());
                const size_t before = g_moduleHeap.stats().chunkCount;
                const bool ok = round % 2 ? load(sprite, mutated) : load(library, mutated);
                EXPECT_TRUE(ok || g_moduleHeap.stats().chunkCount == before) << "a failed load kept memory";
            }
            ++seeds;
        }
    EXPECT_EQ(seeds, 16);
}

#ifndef _WIN32  // a full device, a file size limit, permissions, owners, symbolic links and pipes

TEST_F(SpriteFiles, SaveOntoAFullTargetFailsAndKeepsThePreviousFile) {
    const SpriteLibraryRecord record = large.record();
    ASSERT_GT(saved(record).size(), 16384u);
    EXPECT_FALSE(SaveSpriteLibrary(&record, "/dev/full") || SaveSprite(record.sprites[0], "/dev/full"));

    const std::string path = dir.file("lib");
    const Bytes old = saved(exampleLibrary(), "lib");
    rlimit limit{};  // a file size limit makes writes fail as a full disk does, even for root
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit tight{4096, limit.rlim_max};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool limitedSave = SaveSpriteLibrary(&record, path.c_str());
    setrlimit(RLIMIT_FSIZE, &limit), std::signal(SIGXFSZ, handler);
    EXPECT_TRUE(!limitedSave && readFileBytes(path) == old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "leftovers";
}

constexpr int kKeptRootRights = 3;

// Runs save in a child process as an unprivileged user: root drops to nobody, anyone else stays who they are.
// The child's exit status: the save's result, or kKeptRootRights.
int saveUnprivileged(const std::function<bool()> &save) {
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        _exit(dropped ? int(save()) : kKeptRootRights);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Files and folders of root's (or the user's own), saved to by an unprivileged user: a save succeeds exactly
// where opening the file "wb" would, and only a writable file in a locked folder is written in place.
TEST_F(SpriteFiles, UnprivilegedSavesSucceedExactlyWhereWritingTheFileWould) {
    const struct {
        unsigned fileMode, folderMode;
        bool saves;
    } cases[] = {{0444, 0777, false}, {0444, 0555, false}, {0666, 0555, true}, {0666, 0777, true}};
    const SpriteLibraryRecord record = large.record();
    const Bytes expected = saved(record, "expected");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    for (const auto &c : cases) {
        char name[32];
        std::snprintf(name, sizeof name, "file-%o-folder-%o", c.fileMode, c.folderMode);
        const fs::path folder = dir.path() / name;
        const std::string path = (folder / "lib").string();
        fs::create_directory(folder);
        const Bytes old = saved(exampleLibrary(), (std::string(name) + "/lib").c_str());
        ASSERT_EQ(chmod(path.c_str(), c.fileMode) | chmod(folder.c_str(), c.folderMode), 0);
        const int result = saveUnprivileged([&] { return SaveSpriteLibrary(&record, path.c_str()); });
        chmod(folder.c_str(), 0755);
        if (result == kKeptRootRights)
            GTEST_SKIP() << "cannot run as an unprivileged user: setuid to nobody failed";
        EXPECT_EQ(result, int(c.saves)) << name << ": 1 is success";
        EXPECT_EQ(readFileBytes(path), c.saves ? expected : old) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << name << ": leftovers";
    }
}

TEST_F(SpriteFiles, ReplacementAsRootKeepsOwnerGroupAndPermissions) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to give the file to another user";
    const std::string path = dir.file("owned");
    saved(exampleLibrary(), "owned");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534) | chmod(path.c_str(), 02640), 0);
    const Bytes expected = saved(large, "owned");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(std::tuple(st.st_uid, st.st_gid, st.st_mode & 07777), std::tuple(65534u, 65534u, 02640u));
    EXPECT_EQ(readFileBytes(path), expected);
}

TEST_F(SpriteFiles, ReplacementKeepsPermissionsAndWritesThroughSymbolicLinks) {
    const auto mode = [&](const char *name) {
        struct stat st {};
        EXPECT_EQ(stat(dir.file(name).c_str(), &st), 0) << name;
        return st.st_mode & 07777;
    };
    const Bytes expected = saved(large, "expected");
    saved(exampleLibrary(), "target");
    ASSERT_EQ(chmod(dir.file("target").c_str(), 0640), 0);
    saved(exampleLibrary(), "target");
    EXPECT_EQ(mode("target"), 0640u);
    fs::create_directory(dir.path() / "links");
    fs::create_symlink("../target", dir.path() / "links" / "link");
    fs::create_symlink("not-yet", dir.path() / "dangling");
    EXPECT_TRUE(saved(large, "links/link") == expected && saved(large, "dangling") == expected);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "links" / "link") && fs::is_symlink(dir.file("dangling")));
    EXPECT_TRUE(readFileBytes(dir.file("target")) == expected && readFileBytes(dir.file("not-yet")) == expected);
    const mode_t mask = umask(022);
    saved(exampleLibrary(), "fresh"), umask(mask);
    EXPECT_EQ(mode("fresh"), 0644u);

    // A loop fails, and stays as it was.
    fs::create_symlink("loop-b", dir.path() / "loop-a"), fs::create_symlink("loop-a", dir.path() / "loop-b");
    fs::create_symlink("self", dir.path() / "self");
    const auto entries = std::distance(fs::directory_iterator(dir.path()), {});
    const SpriteLibraryRecord record = large.record();
    for (const char *name : {"loop-a", "self"}) {
        EXPECT_FALSE(SaveSpriteLibrary(&record, dir.file(name).c_str())) << name;
        EXPECT_TRUE(fs::is_symlink(dir.file(name))) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), entries) << "leftovers";
}

// However a pipe is reached, it is written through: standard output as a pipe, by each of its names.
TEST_F(SpriteFiles, StandardOutputAsAPipeIsWrittenThrough) {
    const SpriteLibraryRecord record = large.record();
    const Bytes expected = saved(record);
    for (const char *path : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(ends[1], 1), close(ends[0]), close(ends[1]);
            _exit(SaveSpriteLibrary(&record, path) ? 0 : 1);
        }
        close(ends[1]);
        Bytes received;
        uint8_t chunk[4096];
        for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;)
            received.insert(received.end(), chunk, chunk + got);
        close(ends[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << path;
        EXPECT_EQ(received.size(), expected.size()) << path;
        EXPECT_TRUE(received == expected) << path;
    }
}

// Starts work in a thread that never takes SIGALRM, so the alarms go to the calling thread.
std::thread withoutAlarms(std::function<void()> work) {
    sigset_t alarm;
    sigemptyset(&alarm), sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
    std::thread thread(std::move(work));
    pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr);
    return thread;
}

// A signal whose handler does not restart calls cuts a read or write on a pipe short; a load and a save carry on.
// The far end moves 4 KB at a time with pauses between, so the module's calls (the open too) wait on the pipe and
// get interrupted.
TEST_F(SpriteFiles, PipeTransfersSurviveInterruptingSignals) {
    rng.seed(9);
    SampleLibrary sample = randomLibrary(rng, 40, 10, 64);
    const SpriteLibraryRecord record = sample.record();
    const Bytes expected = saved(record);
    ASSERT_GT(expected.size(), size_t{256} << 10) << "more than a pipe holds";
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct sigaction interrupting {
    }, previous{};
    interrupting.sa_handler = [](int) {};
    sigemptyset(&interrupting.sa_mask);
    ASSERT_EQ(sigaction(SIGALRM, &interrupting, &previous), 0);
    const itimerval often{{0, 200}, {0, 200}}, off{};
    void (*pipeHandler)(int) = std::signal(SIGPIPE, SIG_IGN);  // a failing side must not end the test
    setitimer(ITIMER_REAL, &often, nullptr);

    // A side that failed before opening would leave the thread waiting for it: open that side until it is done.
    std::atomic<bool> done{false};
    const auto finish = [&](std::thread &thread, int side) {
        while (!done)
            close(open(fifo.c_str(), side | O_NONBLOCK)), usleep(1000);
        thread.join(), done = false;
    };
    Bytes received;
    std::thread reader = withoutAlarms([&] {
        usleep(2000);  // the module's open waits first
        FILE *in = std::fopen(fifo.c_str(), "rb");
        uint8_t chunk[4096];
        for (size_t got; in && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
            received.insert(received.end(), chunk, chunk + got), usleep(300);
        if (in)
            std::fclose(in);
        done = true;
    });
    const bool saveOk = SaveSpriteLibrary(&record, fifo.c_str());
    finish(reader, O_WRONLY);
    std::thread writer = withoutAlarms([&] {
        usleep(2000);
        FILE *out = std::fopen(fifo.c_str(), "wb");
        for (size_t at = 0; out && at < expected.size(); at += 4096)
            std::fwrite(expected.data() + at, 1, std::min<size_t>(4096, expected.size() - at), out), std::fflush(out),
                usleep(300);
        if (out)
            std::fclose(out);
        done = true;
    });
    SpriteLibraryRecord loaded{};
    const bool loadOk = LoadSpriteLibrary(&loaded, fifo.c_str());
    finish(writer, O_RDONLY);
    setitimer(ITIMER_REAL, &off, nullptr), sigaction(SIGALRM, &previous, nullptr), std::signal(SIGPIPE, pipeHandler);

    EXPECT_TRUE(saveOk && received == expected)
        << "save: " << saveOk << ", " << received.size() << " of " << expected.size() << " bytes arrived";
    ASSERT_TRUE(loadOk) << "load";
    EXPECT_TRUE(saved(loaded, "reloaded") == expected);
}

TEST_F(SpriteFiles, PipesAreWrittenAndReadDirectly) {
    const SpriteLibraryRecord record = large.record();
    const Bytes expected = saved(record);
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Bytes received;
    std::thread reader([&] { received = readFileBytes(fifo); });
    EXPECT_TRUE(SaveSpriteLibrary(&record, fifo.c_str()));
    reader.join();
    EXPECT_TRUE(received == expected && fs::is_fifo(fifo));
    for (size_t length : {expected.size(), expected.size() - 1}) {
        SpriteLibraryRecord loaded{};
        const bool ok = load(loaded, Bytes(expected.begin(), expected.begin() + long(length)), true);
        EXPECT_TRUE(ok == (length == expected.size()) && loaded.spriteCount == (ok ? 20 : 0)) << length << " bytes";
    }
}
#endif

}  // namespace
