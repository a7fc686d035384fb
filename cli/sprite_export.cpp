// export: a library or sprite file as a folder of pictures, block files and
// manifest.json (docs/manifest.md), made whole or not at all.
#include "cli/command.h"
#include "cli/frame_pixels.h"
#include "cli/manifest.h"
#include "cli/sprite_commands.h"
#include "cli/sprite_files.h"
#include "cli/sprite_walk.h"
#include "common/png_image.h"
#include "common/replace_file.h"

#include <iostream>

namespace {

std::string numbered(size_t value, size_t digits) {
    std::string text = std::to_string(value);
    return std::string(text.size() < digits ? digits - text.size() : 0, '0') + text;
}

class Exporter {
public:
    explicit Exporter(NewDirectory &out) : out_(out) {}

    const std::string &error() const { return error_; }

    // Frames go to prefix + "NN.png" and the like.
    bool sprite(const SpriteRecord &s, const std::string &prefix, OrderedJson &entry) {
        OrderedJson frames = OrderedJson::array();
        for (size_t f = 0; f < s.frameCount; ++f) {
            FrameFiles files;
            if (!frame(s, f, prefix + numbered(f, 2), files))
                return false;
            frames.push_back(frameEntry(s, f, files));
        }
        entry = spriteEntry(s, std::move(frames));
        return true;
    }

private:
    bool frame(const SpriteRecord &s, size_t f, const std::string &stem, FrameFiles &files) {
        const size_t width = s.width[f], height = s.height[f], bytesPerPixel = s.bitsPerPixel / 8u;
        const bool picture = (s.bitsPerPixel == 16 || s.bitsPerPixel == 24) && width > 0 && height > 0 &&
                             int64_t(s.pixelSize[f]) == int64_t(width * height * bytesPerPixel);
        if (picture && !pictureFiles(s, f, stem, files))
            return false;
        if (!picture && !raw(s.pixelSize[f], s.pixelData[f], stem + ".pixels.bin", files.pixels))
            return false;
        return raw(s.extraSize[f], s.extraData[f], stem + ".extra.bin", files.extra) &&
               (!s.hasOptionalBlock ||
                raw(s.optionalSize[f], s.optionalData[f], stem + ".optional.bin", files.optional));
    }

    bool pictureFiles(const SpriteRecord &s, size_t f, const std::string &stem, FrameFiles &files) {
        Image image(s.width[f], s.height[f], 4);
        const bool marked = s.bitsPerPixel == 16 ? pictureOf16(s.pixelData[f], image, marks_)
                                                 : pictureOf24(s.pixelData[f], image, marks_);
        if (!png(image, stem + ".png", files.image))
            return false;
        if (!marked)
            return true;
        if (s.bitsPerPixel == 24) {
            for (uint32_t p = 0; p < marks_.size(); ++p)
                if (marks_[p])
                    files.keepDark.push_back(p);
            return true;
        }
        Image mask(s.width[f], s.height[f], 1);
        for (size_t p = 0; p < marks_.size(); ++p)
            mask.pixels[p] = uint8_t(-marks_[p]);
        return png(mask, stem + ".spare.png", files.spareBits);
    }

    bool png(const Image &image, const std::string &name, std::string &file) {
        if (!encodePng(image, encoded_, error_)) {
            error_ = name + ": " + error_;
            return false;
        }
        if (!out_.write(name, encoded_.data(), encoded_.size(), error_))
            return false;
        file = name;
        return true;
    }

    bool raw(int32_t size, const uint8_t *bytes, const std::string &name, std::string &file) {
        if (size <= 0)
            return true;
        if (!out_.write(name, bytes, size_t(size), error_))
            return false;
        file = name;
        return true;
    }

    NewDirectory &out_;
    std::vector<uint8_t> encoded_, marks_;
    std::string error_;
};

}  // namespace

int exportCommand(const std::string &file, const std::string &dir, bool singleSprite) {
    NewDirectory out(dir);
    std::string error;
    if (!out.create(error))
        return reportFailure(error);
    Exporter exporter(out);
    OrderedJson manifest;
    if (singleSprite) {
        SpriteRecord sprite{};
        if (!loadSpriteFile(file, sprite, error))
            return reportFailure(error);
        OrderedJson entry;
        if (!exporter.sprite(sprite, "", entry))
            return reportFailure(exporter.error());
        manifest = spriteManifest(std::move(entry));
    } else {
        SpriteLibraryRecord library{};
        if (!loadLibraryFile(file, library, error))
            return reportFailure(error);
        OrderedJson sprites = OrderedJson::array();
        for (int32_t i = 0; i < library.spriteCount; ++i) {
            OrderedJson entry;
            if (!exporter.sprite(*library.sprites[i], numbered(size_t(i), 4) + "/", entry))
                return reportFailure(exporter.error());
            sprites.push_back(librarySpriteEntry(library.names[i], library.spriteIds[i], std::move(entry)));
        }
        manifest = libraryManifest(library, std::move(sprites));
    }
    const std::string text = manifest.dump(2) + "\n";
    if (!out.write("manifest.json", text.data(), text.size(), error) || !out.commit(error))
        return reportFailure(error);
    if (const std::string left = leftOut(file, singleSprite); !left.empty())
        std::cerr << "vornak: warning: " << file << ": " << left << "; the export leaves them out\n";
    return 0;
}
