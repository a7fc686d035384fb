// The built client program, run from the program directory with scripted
// input through the headless presenter, judged by the pictures it saves.
// Expected pixels come from the sample world's documented layout.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/windows/frame_image.h"
#include "tools/world_layout.h"

namespace fs = std::filesystem;

namespace {

fs::path programDir()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A fresh directory for one test's scripts, pictures and copies.
fs::path scratchDir()
{
    const fs::path dir = fs::temp_directory_path() /
                         ("client_run_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                          "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs program in workDir with the script; the exit code, or -1 when it did
// not exit normally within a minute (it is killed then).
int runClient(const fs::path &program, const fs::path &workDir, const std::string &script, const fs::path &scratch)
{
    const fs::path scriptPath = scratch / "script.txt";
    std::ofstream(scriptPath) << script;
    const fs::path exitShot = scratch / "exit.png";
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(workDir.c_str()) != 0) _exit(126);
        setenv("STANDIN_PRESENTER", "headless", 1);
        setenv("STANDIN_SCRIPT", scriptPath.c_str(), 1);
        setenv("STANDIN_SHOT_AT_EXIT", exitShot.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The 5-6-5 word of a PNG pixel that the stand-in widened from one.
uint16_t wordAt(const RgbImage &image, int x, int y)
{
    const uint8_t *p = &image.rgb[static_cast<size_t>((y * image.width + x) * 3)];
    return static_cast<uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
}

RgbImage readPicture(const fs::path &path)
{
    RgbImage image;
    std::string error;
    EXPECT_TRUE(readPngFile(path.string(), image, error)) << path << ": " << error;
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    return image;
}

uint16_t terrainWord(int32_t id)
{
    for (const world::TerrainInfo &terrain : world::kTerrain)
        if (terrain.id == id) return world::displayWord(terrain.key);
    return 0;
}

}  // namespace

TEST(ClientRun, FirstFrameShowsTheSampleWorld)
{
    const fs::path scratch = scratchDir();
    const fs::path shot = scratch / "first.png";
    ASSERT_EQ(runClient(programDir() / "client", programDir(), "frames 1\nshot " + shot.string() + "\nkey escape\n", scratch), 0);
    const RgbImage image = readPicture(shot);
    ASSERT_EQ(image.rgb.size(), 640u * 480u * 3u);

    // Centre (0, 0): tile (x, y)'s middle at (320 + 20 (x + y), 240 + 10 (x - y)).
    for (const world::TilePlace &tile : world::kLandmarkTiles) {
        const int sx = 320 + 20 * (tile.x + tile.y), sy = 240 + 10 * (tile.x - tile.y);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                EXPECT_EQ(wordAt(image, sx + dx, sy + dy), terrainWord(tile.id))
                    << "tile (" << tile.x << ", " << tile.y << ") at (" << sx + dx << ", " << sy + dy << ")";
            }
        }
    }
    for (const world::ObjectPlace &object : world::kLandmarkObjects) {
        const int sx = 320 + 20 * (object.x + object.y) + object.keyDx;
        const int sy = 240 + 10 * (object.x - object.y) + object.keyDy;
        const uint16_t key = world::displayWord(object.key), got = wordAt(image, sx, sy);
        if (object.id != world::kFountain) {
            EXPECT_EQ(got, key) << "object " << object.id << " at (" << sx << ", " << sy << ")";
            continue;
        }
        // Translucent: each channel is half the key's plus half of what lies
        // beneath, so it exceeds the key's half by at most half the range.
        const int overRed = (got >> 11) - (key >> 12), overGreen = ((got >> 5) & 63) - ((key >> 6) & 31),
                  overBlue = (got & 31) - ((key & 31) >> 1);
        EXPECT_TRUE(overRed >= 0 && overRed <= 15 && overGreen >= 0 && overGreen <= 31 && overBlue >= 0 && overBlue <= 15)
            << "fountain at (" << sx << ", " << sy << "): key 0x" << std::hex << key << ", got 0x" << got;
        EXPECT_NE(got, key);
    }
    // Left of the map's corner tile (0, 0) the screen stays black.
    EXPECT_EQ(wordAt(image, 100, 240), 0);
    EXPECT_EQ(wordAt(image, 299, 240), 0);
    fs::remove_all(scratch);
}

TEST(ClientRun, MissingModuleOrDataStillEndsWithZeroOnEscape)
{
    const fs::path bin = programDir();
    struct Setup {
        const char *name;
        bool module, data;
    };
    for (const Setup setup : {Setup{"bare", false, false}, Setup{"no_module", false, true}, Setup{"no_data", true, false}}) {
        const fs::path scratch = scratchDir();
        const fs::path dir = scratch / setup.name;
        fs::create_directories(dir);
        fs::copy_file(bin / "client", dir / "client");
        if (setup.module) fs::copy_file(bin / "libVornak.so", dir / "libVornak.so");
        if (setup.data) {
            fs::copy(bin / "sprites", dir / "sprites", fs::copy_options::recursive);
            fs::copy(bin / "maps", dir / "maps", fs::copy_options::recursive);
        }
        EXPECT_EQ(runClient(dir / "client", dir, "frames 2\nkey escape\n", scratch), 0) << setup.name;
        // The display works; with no scene every frame is the cleared screen.
        const RgbImage image = readPicture(scratch / "exit.png");
        size_t lit = 0;
        for (uint8_t byte : image.rgb) lit += byte != 0;
        EXPECT_EQ(lit, 0u) << setup.name;
        fs::remove_all(scratch);
    }
}
