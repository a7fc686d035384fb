// Saves and loads on what only a POSIX system offers here: devices, a file
// size limit, permissions, symbolic links and pipes.
#include "tests/vornak/support/sample_records.h"
#include "vornak/vornak.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PosixFiles : public ::testing::Test {
protected:
    // A library of about 40 KB, so a save is many writes.
    PosixFiles() : rng(3), large(randomLibrary(rng, 20, 8, 24)) {}

    std::vector<uint8_t> save(SampleLibrary &sample, const std::string &path) {
        const SpriteLibraryRecord r = sample.record();
        EXPECT_TRUE(SaveSpriteLibrary(&r, path.c_str()));
        return readFileBytes(path);
    }
    bool trySave(SampleLibrary &sample, const std::string &path) {
        const SpriteLibraryRecord r = sample.record();
        return SaveSpriteLibrary(&r, path.c_str());
    }
    size_t entriesIn(const fs::path &folder) { return size_t(std::distance(fs::directory_iterator(folder), {})); }

    TempDir dir;
    std::mt19937 rng;
    SampleLibrary large;
    SampleLibrary small = exampleLibrary();
};

TEST_F(PosixFiles, SaveOntoAFullDeviceFails) {
    ASSERT_GT(save(large, dir.file("size")).size(), 16384u);
    EXPECT_FALSE(trySave(large, "/dev/full"));
    SampleSprite sprite = exampleSprite();
    const SpriteRecord r = sprite.record();
    EXPECT_FALSE(SaveSprite(&r, "/dev/full"));
}

// A file size limit makes writes fail the way a full disk does, even for root.
TEST_F(PosixFiles, SaveThatRunsOutOfSpaceKeepsThePreviousFile) {
    const std::vector<uint8_t> old = save(small, dir.file("lib"));
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 4096;
    void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool saved_ok = trySave(large, dir.file("lib"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(readFileBytes(dir.file("lib")), old);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// Run by a user without rights on the folder: root drops to nobody in a child.
TEST_F(PosixFiles, SaveOntoAnUnwritableTargetKeepsThePreviousFile) {
    const fs::path folder = dir.path() / "locked";
    fs::create_directory(folder);
    const std::string path = (folder / "lib").string();
    const std::vector<uint8_t> old = save(small, path);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(trySave(large, path) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save claimed success; 3: could not drop rights";
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(entriesIn(folder), 1u);
}

TEST_F(PosixFiles, ReplacementKeepsPermissionsAndNewFilesGetTheDefault) {
    const std::string path = dir.file("lib");
    save(small, path);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    save(large, path);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const mode_t mask = umask(022);
    save(small, dir.file("fresh"));
    umask(mask);
    ASSERT_EQ(stat(dir.file("fresh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(PosixFiles, SavesWriteThroughSymbolicLinks) {
    const std::vector<uint8_t> expected = save(large, dir.file("expected"));
    save(small, dir.file("target"));
    fs::create_directory(dir.path() / "links");
    fs::create_symlink("../target", dir.path() / "links" / "link");
    EXPECT_EQ(save(large, dir.file("links/link")), expected);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "links" / "link"));
    EXPECT_EQ(readFileBytes(dir.file("target")), expected);

    fs::create_symlink("not-yet", dir.path() / "dangling");
    save(large, dir.file("dangling"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling"));
    EXPECT_EQ(readFileBytes(dir.file("not-yet")), expected);
}

TEST_F(PosixFiles, PipesAreWrittenAndReadDirectly) {
    const std::vector<uint8_t> expected = save(large, dir.file("expected"));
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = readFileBytes(fifo); });
    EXPECT_TRUE(trySave(large, fifo));
    reader.join();
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(fs::is_fifo(fifo));

    for (size_t length : {expected.size(), expected.size() - 1}) {
        std::thread writer([&] { writeFileBytes(fifo, {expected.begin(), expected.begin() + long(length)}); });
        SpriteLibraryRecord loaded{};
        const bool ok = LoadSpriteLibrary(&loaded, fifo.c_str());
        writer.join();
        EXPECT_EQ(ok, length == expected.size());
        if (ok) {
            EXPECT_EQ(loaded.spriteCount, 20);
        }
    }
}

}  // namespace
