// Compares a picture with a reference at the precision of a 5-6-5 display.
//
//   frame_compare EXPECTED GOT OUTPUT_PREFIX
//
// Pictures are .xwd (an X screenshot) or .png. The whole of EXPECTED is
// compared with the top-left part of GOT of the same size. Exit code 0 when
// they agree; 1 when they differ, after writing OUTPUT_PREFIX-expected.png,
// -got.png and -diff.png (the expected picture dimmed, differing pixels red);
// 2 when a picture cannot be read.
#include "tools/frame_compare/frame_image.h"

#include <cstdio>
#include <string>

namespace {

bool readWholeFile(const std::string &path, std::vector<uint8_t> &bytes) {
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool endsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool readPicture(const std::string &path, Image &image) {
    std::string error;
    bool ok = false;
    if (endsWith(path, ".png")) {
        ok = readPng(path, 3, image, error);
    } else {
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes))
            error = "cannot read the file";
        else if (endsWith(path, ".xwd"))
            ok = readXwd(bytes, image, error);
        else
            error = "unknown picture type (.xwd or .png)";
    }
    if (!ok)
        std::fprintf(stderr, "frame_compare: %s: %s\n", path.c_str(), error.c_str());
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: frame_compare EXPECTED GOT OUTPUT_PREFIX\n");
        return 2;
    }
    Image expected;
    Image got;
    if (!readPicture(argv[1], expected) || !readPicture(argv[2], got))
        return 2;
    if (got.width < expected.width || got.height < expected.height) {
        std::fprintf(stderr, "frame_compare: %s is %dx%d, smaller than %s (%dx%d)\n", argv[2], got.width, got.height,
                     argv[1], expected.width, expected.height);
        return 2;
    }
    got = cropTopLeft(got, expected.width, expected.height);
    FrameDifference difference = compare565(expected, got);
    if (difference.pixels == 0) {
        std::printf("frame_compare: %s and %s agree at 5-6-5 precision (%dx%d)\n", argv[1], argv[2], expected.width,
                    expected.height);
        return 0;
    }
    std::string prefix = argv[3];
    std::string error;
    bool saved = writePng(prefix + "-expected.png", expected, error) && writePng(prefix + "-got.png", got, error) &&
                 writePng(prefix + "-diff.png", difference.marked, error);
    if (!saved)
        std::fprintf(stderr, "frame_compare: %s\n", error.c_str());
    std::printf("frame_compare: %lld of %d pixels differ between %s and %s; %s %s-{expected,got,diff}.png\n",
                static_cast<long long>(difference.pixels), expected.width * expected.height, argv[1], argv[2],
                saved ? "saved" : "could not save", prefix.c_str());
    return 1;
}
