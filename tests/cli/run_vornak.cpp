#include "tests/cli/run_vornak.h"

#include "vornak/vornak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

Result run(const std::string &command) {
    static const TempDir scratch;
    const std::string out = scratch.file("stdout"), err = scratch.file("stderr");
    const int raw = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readText(out), readText(err)};
}

Result vornak(const std::string &arguments) {
    return run(quoted(VORNAK_PROGRAM) + " " + arguments);
}

void expectRefusal(const Result &r, int status, const std::string &said, const std::string &command) {
    EXPECT_EQ(r.status, status) << command << "\n" << r.err;
    EXPECT_NE(r.err.find(said), std::string::npos) << command << " said:\n" << r.err;
    EXPECT_EQ(r.out, "") << command;
    if (status == 1) {
        EXPECT_TRUE(std::count(r.err.begin(), r.err.end(), '\n') == 1 && r.err.rfind("vornak: ", 0) == 0) << r.err;
    }
    if (status == 2) {
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << command << " said:\n" << r.err;
    }
}

std::string quoted(const std::filesystem::path &path) {
    return "'" + path.string() + "'";
}

std::string readText(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::filesystem::path &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

Image readPicture(const std::filesystem::path &path, int channels) {
    Image image;
    std::string error;
    EXPECT_TRUE(readPng(path.string(), channels, image, error)) << error;
    return image;
}

bool saveLibrary(SampleLibrary library, const std::filesystem::path &path) {
    const SpriteLibraryRecord record = library.record();
    return SaveSpriteLibrary(&record, path.string().c_str());
}

void addFrame16(SampleSprite &s, uint16_t width, uint16_t height, uint16_t originX, uint16_t originY, uint16_t offsetX,
                uint16_t offsetY, uint8_t hue) {
    s.bitsPerPixel = 16;
    s.frameTags.push_back(0);
    s.width.push_back(width), s.height.push_back(height);
    s.originX.push_back(originX), s.originY.push_back(originY);
    s.offsetX.push_back(offsetX), s.offsetY.push_back(offsetY);
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool hole = (x + 2 * y) % 7 == 0;
            pixels.push_back(hole ? 0 : uint8_t(x * 8 + hue));
            pixels.push_back(hole ? 0 : uint8_t((y * 4 + 2) & 0xFE));
        }
    s.pixelSize.push_back(int32_t(pixels.size()));
    s.pixels.push_back(std::move(pixels));
}
