#include "tests/cli/run_vornak.h"

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

std::string quoted(const std::filesystem::path &path) {
    return "'" + path.string() + "'";
}

std::string readText(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
