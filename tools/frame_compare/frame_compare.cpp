// Compares a picture with a reference at the precision of a 5-6-5 display.
//
//   frame_compare [--at X,Y] [--scale N] EXPECTED GOT OUTPUT_PREFIX
//
// Pictures are .xwd (an X screenshot) or .png. EXPECTED, enlarged N times
// (each pixel an N x N block, default 1), is compared with the part of GOT of
// that size whose top-left corner is (X, Y) (default 0,0). Exit code 0 when
// they agree; 1 when they differ, after writing OUTPUT_PREFIX-expected.png,
// -got.png and -diff.png (the expected picture dimmed, differing pixels red);
// 2 when a picture cannot be read or the part lies outside GOT.
#include "tools/command_line/command_line.h"
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
    CLI::App app;
    describeProgram(app, "frame_compare", "Compares a picture with a reference at 5-6-5 precision.");
    std::string expectedPath, gotPath, prefix;
    std::vector<int32_t> at = {0, 0};
    int32_t scale = 1;
    app.add_option("--at", at, "Top-left corner X,Y of the part of GOT to compare")
        ->delimiter(',')
        ->expected(2)
        ->check(CLI::Range(0, kMaxSide));
    app.add_option("--scale", scale, "Whole factor by which GOT shows EXPECTED enlarged")->check(CLI::Range(1, 16));
    app.add_option("EXPECTED", expectedPath, "Reference picture (.png or .xwd)")->required();
    app.add_option("GOT", gotPath, "Picture to check (.png or .xwd)")->required();
    app.add_option("OUTPUT_PREFIX", prefix, "Where the pictures of a difference go")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;

    Image expected;
    Image got;
    if (!readPicture(expectedPath, expected) || !readPicture(gotPath, got))
        return 2;
    if (scale > 1)
        expected = scaleUp(expected, scale);
    if (int64_t(at[0]) + expected.width > got.width || int64_t(at[1]) + expected.height > got.height) {
        std::fprintf(stderr, "frame_compare: %s is %dx%d, too small for %dx%d at (%d, %d)\n", gotPath.c_str(),
                     got.width, got.height, expected.width, expected.height, at[0], at[1]);
        return 2;
    }
    got = cropPart(got, at[0], at[1], expected.width, expected.height);
    FrameDifference difference = compare565(expected, got);
    if (difference.pixels == 0) {
        std::printf("frame_compare: %s and %s agree at 5-6-5 precision (%dx%d at (%d, %d))\n", expectedPath.c_str(),
                    gotPath.c_str(), expected.width, expected.height, at[0], at[1]);
        return 0;
    }
    std::string error;
    bool saved = writePng(prefix + "-expected.png", expected, error) && writePng(prefix + "-got.png", got, error) &&
                 writePng(prefix + "-diff.png", difference.marked, error);
    if (!saved)
        std::fprintf(stderr, "frame_compare: %s\n", error.c_str());
    std::printf("frame_compare: %lld of %d pixels differ between %s and %s; %s %s-{expected,got,diff}.png\n",
                static_cast<long long>(difference.pixels), expected.width * expected.height, expectedPath.c_str(),
                gotPath.c_str(), saved ? "saved" : "could not save", prefix.c_str());
    return 1;
}
