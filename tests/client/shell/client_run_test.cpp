// The built client program, run from a directory with scripted input through
// the headless presenter, judged by the pictures it saves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/client/shell/world_pixels.h"
#include "tests/windows/frame_image.h"

namespace fs = std::filesystem;

namespace {

const fs::path programDir = fs::read_symlink("/proc/self/exe").parent_path();

// Runs dir/client in dir with the script, its last frame saved to
// scratch/exit.png; the exit code, or -1 when it did not end within a minute.
int runClient(const fs::path &dir, const std::string &script, const fs::path &scratch)
{
    std::ofstream(scratch / "script.txt") << script;
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        setenv("STANDIN_PRESENTER", "headless", 1);
        setenv("STANDIN_SCRIPT", (scratch / "script.txt").c_str(), 1);
        setenv("STANDIN_SHOT_AT_EXIT", (scratch / "exit.png").c_str(), 1);
        execl("./client", "./client", static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == 12000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Picture {
    RgbImage image;
    // The 5-6-5 word that the stand-in widened into this PNG pixel.
    uint16_t word(int x, int y) const
    {
        const uint8_t *p = &image.rgb[size_t((y * image.width + x) * 3)];
        return uint16_t((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
    }
};

Picture readPicture(const fs::path &path)
{
    Picture picture;
    std::string error;
    EXPECT_TRUE(readPngFile(path.string(), picture.image, error)) << path << ": " << error;
    EXPECT_TRUE(picture.image.width == 640 && picture.image.height == 480);
    picture.image.rgb.resize(640 * 480 * 3);
    return picture;
}

fs::path scratchDir()
{
    const fs::path dir = fs::temp_directory_path() /
                         ("client_run_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                          "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(ClientRun, FirstFrameShowsTheSampleWorld)
{
    const fs::path scratch = scratchDir();
    ASSERT_EQ(runClient(programDir, "frames 1\nshot " + (scratch / "first.png").string() + "\nkey escape\n", scratch), 0);
    const Picture first = readPicture(scratch / "first.png");
    for (const ExpectedPixel &pixel : expectedWorldPixels(0, 0))
        EXPECT_EQ(first.word(pixel.x, pixel.y), pixel.word) << pixel.what << " at (" << pixel.x << ", " << pixel.y << ")";
    EXPECT_TRUE(first.word(100, 240) == 0 && first.word(299, 240) == 0) << "left of the map's corner tile";

    // The translucent fountain: each channel is half the key's plus half of
    // what lies beneath, so it exceeds the key's half by at most half the range.
    for (const world::ObjectPlace &o : world::kLandmarkObjects) {
        if (o.id != world::kFountain) continue;
        const uint16_t key = world::displayWord(o.key);
        const uint16_t got = first.word(320 + 20 * (o.x + o.y) + o.keyDx, 240 + 10 * (o.x - o.y) + o.keyDy);
        const int red = (got >> 11) - (key >> 12), green = ((got >> 5) & 63) - ((key >> 6) & 31), blue = (got & 31) - ((key & 31) >> 1);
        EXPECT_TRUE(got != key && red >= 0 && red <= 15 && green >= 0 && green <= 31 && blue >= 0 && blue <= 15)
            << "fountain: key 0x" << std::hex << key << ", got 0x" << got;
    }
    fs::remove_all(scratch);
}

TEST(ClientRun, ReleaseRecentresOnTheTileUnderTheLastMove)
{
    // The middle of tile (6, 3) in the start view; before any move the
    // release picks at (0, 0), tile (-20, 4), from where only the top of
    // tile (0, 0)'s middle shows, in the bottom-right corner.
    const struct {
        const char *script;
        int cx, cy;
    } runs[] = {{"frames 1\nmove 500 270\nlup\nframes 1\nkey escape\n", 6, 3}, {"frames 1\nlup\nframes 1\nkey escape\n", -20, 4}};
    for (const auto &run : runs) {
        const fs::path scratch = scratchDir();
        ASSERT_EQ(runClient(programDir, run.script, scratch), 0);
        const Picture last = readPicture(scratch / "exit.png");
        const std::vector<ExpectedPixel> pixels = expectedWorldPixels(run.cx, run.cy);
        EXPECT_FALSE(pixels.empty());
        for (const ExpectedPixel &pixel : pixels)
            EXPECT_EQ(last.word(pixel.x, pixel.y), pixel.word) << pixel.what << " at (" << pixel.x << ", " << pixel.y << ") centred on " << run.cx << ", " << run.cy;
        EXPECT_EQ(last.word(320, 240) == 0, run.cx < 0) << "the screen centre lies off the map";
        fs::remove_all(scratch);
    }
}

TEST(ClientRun, MissingModuleOrDataStillEndsWithZeroOnEscape)
{
    for (const auto &[name, module, data] : {std::tuple{"bare", false, false}, {"no_module", false, true}, {"no_data", true, false}}) {
        const fs::path scratch = scratchDir(), dir = scratch / name;
        fs::create_directories(dir);
        fs::copy_file(programDir / "client", dir / "client");
        if (module) fs::copy_file(programDir / "libVornak.so", dir / "libVornak.so");
        if (data) {
            fs::copy(programDir / "sprites", dir / "sprites", fs::copy_options::recursive);
            fs::copy(programDir / "maps", dir / "maps", fs::copy_options::recursive);
        }
        EXPECT_EQ(runClient(dir, "frames 2\nkey escape\n", scratch), 0) << name;
        // The display works; with no scene every frame is the cleared screen.
        const Picture last = readPicture(scratch / "exit.png");
        EXPECT_EQ(std::count(last.image.rgb.begin(), last.image.rgb.end(), 0), 640 * 480 * 3) << name;
        fs::remove_all(scratch);
    }
}
