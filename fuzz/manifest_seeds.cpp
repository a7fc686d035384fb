// Seeds for fuzz_manifest: manifests of each kind, each followed by a zero
// byte and the one file its names stand for.
#include "common/png_image.h"
#include "tools/command_line/command_line.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "manifest_seeds", "Writes the seeds of the manifest fuzzer: manifests with their files.");
    std::string folder;
    app.add_option("DIR", folder, "Folder for the seeds")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    const std::filesystem::path dir = folder;
    std::filesystem::create_directories(dir);
    Image picture(3, 2, 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = uint8_t(i * 41);
    Image mask(3, 2, 1);
    mask.pixels = {0, 255, 0, 255, 255, 0};
    std::vector<uint8_t> png, maskPng;
    std::string error;
    if (!encodePng(picture, png, error) || !encodePng(mask, maskPng, error))
        return 1;
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {
        {R"({"tag1": 1, "sprites": [{"name": "tower", "id": 12, "bitsPerPixel": 16, "translucent": 1, "frames": [
            {"image": "f.png", "originX": 1, "originY": 2, "spareBits": "f.png", "optional": "f.png"},
            {"width": 2, "pixelSize": -4, "extraSize": -1}]}]})",
         png},
        {R"({"sprite": {"bitsPerPixel": 24, "frames": [{"image": "f.png", "keepDark": [[0, 1], [2, 0]]}]}})", png},
        {R"({"sprites": [{"nameBytes": "ff00", "bitsPerPixel": 16, "frames": [{"image": "m.png", "spareBits": "m.png"}]}]})",
         maskPng},
        {R"({"sprites": [{"bitsPerPixel": 8, "frames": [{"pixels": "p", "extra": "p", "width": 3}]}], "tag3": 4})",
         {1, 2, 3}},
        {R"({"sprites": [], "spriteCount": -3})", {}},
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(dir / ("seed-" + std::to_string(i)), std::ios::binary);
        out << seeds[i].first << '\0';
        out.write(reinterpret_cast<const char *>(seeds[i].second.data()), std::streamsize(seeds[i].second.size()));
    }
    return 0;
}
