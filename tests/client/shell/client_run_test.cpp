// The built client program, run with scripted input through the headless
// presenter and judged by the pictures it saves, against what the sample
// world's documented layout alone says the screen must show.
#include "tools/frame_compare/frame_image.h"
#include "tools/world_layout.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

const fs::path programDir = fs::read_symlink("/proc/self/exe").parent_path();

// One run of dir/client in dir with a scratch folder of its own.
struct ProgramRun {
    ProgramRun() { fs::create_directories(scratch); }
    ~ProgramRun() { fs::remove_all(scratch); }

    // The exit code (-1 after a minute) on the script; the last frame goes to exit.png.
    int client(const std::string &script, const fs::path &dir = programDir) {
        std::ofstream(scratch / "script.txt") << script;
        const std::string command = "cd '" + dir.string() + "' && STANDIN_PRESENTER=headless STANDIN_SCRIPT='" +
                                    (scratch / "script.txt").string() + "' STANDIN_SHOT_AT_EXIT='" +
                                    (scratch / "exit.png").string() + "' timeout -s KILL 60 ./client";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) && WEXITSTATUS(status) != 137 ? WEXITSTATUS(status) : -1;
    }

    // The 5-6-5 words of a saved 640 x 480 picture (each channel's top bits).
    std::vector<uint16_t> picture(const std::string &name) const {
        Image image;
        std::string error;
        EXPECT_TRUE(readPng((scratch / name).string(), 3, image, error)) << name << ": " << error;
        EXPECT_TRUE(image.width == 640 && image.height == 480);
        image.pixels.resize(640 * 480 * 3);
        std::vector<uint16_t> words(640 * 480);
        for (size_t i = 0; i < words.size(); ++i) {
            const uint8_t *rgb = &image.pixels[3 * i];
            words[i] = uint16_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
        }
        return words;
    }

    const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
    const fs::path scratch = fs::temp_directory_path() / ("client_run_" + std::to_string(getpid()) + "_" + test);
};

// Checks the 3 x 3 key pixels at the middle of every landmark tile and the key
// pixel of every keyed landmark object that fall on the screen, centred on
// tile (cx, cy); how many.
static int expectWorld(const std::vector<uint16_t> &got, int cx, int cy) {
    int checked = 0;
    auto expect = [&](int x, int y, int dx, int dy, world::Rgb key, const std::string &what) {
        const int sx = 320 + 20 * ((x - cx) + (y - cy)) + dx, sy = 240 + 10 * ((x - cx) - (y - cy)) + dy;
        if (sx < 0 || sx >= 640 || sy < 0 || sy >= 480)
            return;
        ++checked;
        EXPECT_EQ(got[size_t(sy * 640 + sx)], world::displayWord(key))
            << what << " " << x << "," << y << " at (" << sx << ", " << sy << ") centred on " << cx << ", " << cy;
    };
    for (const world::TilePlace &tile : world::kLandmarkTiles)
        for (const world::TerrainInfo &terrain : world::kTerrain)
            for (int i = 0; terrain.id == tile.id && i < 9; ++i)
                expect(tile.x, tile.y, i % 3 - 1, i / 3 - 1, terrain.key, "tile");
    for (const world::ObjectPlace &o : world::kLandmarkObjects)
        if (o.id != world::kFountain)  // translucent
            expect(o.x, o.y, o.keyDx, o.keyDy, o.key, "object " + std::to_string(o.id) + " on");
    return checked;
}

TEST(ClientRun, FirstFrameShowsTheSampleWorldAndAReleaseRecentresOnTheTileUnderTheLastMove) {
    // The middle of tile (6, 3) in the start view; before any move the release picks at (0, 0), tile
    // (-20, 4), from where only the top of tile (0, 0)'s middle shows, in the bottom-right corner.
    for (const auto &[input, cx, cy] :
         {std::tuple{"", 0, 0}, {"move 500 270\nlup\nframes 1\n", 6, 3}, {"lup\nframes 1\n", -20, 4}}) {
        ProgramRun run;
        const std::string shot = (run.scratch / "shot.png").string();
        ASSERT_EQ(run.client("frames 1\n" + std::string(input) + "shot " + shot + "\nkey escape\n"), 0);
        const std::vector<uint16_t> got = run.picture("shot.png");
        EXPECT_GT(expectWorld(got, cx, cy), cx == 0 ? 50 : 0);
        EXPECT_EQ(got[240 * 640 + 320] == 0, cx < 0) << "the screen centre lies off the map";
        EXPECT_TRUE(cx != 0 || (got[240 * 640 + 100] == 0 && got[240 * 640 + 299] == 0)) << "left of the corner tile";
    }
}

TEST(ClientRun, MissingModuleOrDataStillEndsWithZeroOnEscape) {
    for (const auto &[name, module, data] :
         {std::tuple{"bare", false, false}, {"no_module", false, true}, {"no_data", true, false}}) {
        ProgramRun run;
        const fs::path dir = run.scratch / name;
        fs::create_directories(dir);
        fs::copy_file(programDir / "client", dir / "client");
        if (module)
            fs::copy_file(programDir / "libVornak.so", dir / "libVornak.so");
        for (const char *folder : {"sprites", "maps"})
            if (data)
                fs::copy(programDir / folder, dir / folder, fs::copy_options::recursive);
        EXPECT_EQ(run.client("frames 2\nkey escape\n", dir), 0) << name;
        const std::vector<uint16_t> last = run.picture("exit.png");  // the display works, no scene is drawn
        EXPECT_EQ(std::count(last.begin(), last.end(), 0), 640 * 480) << name;
    }
}
