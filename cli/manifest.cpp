#include "cli/manifest.h"

#include "cli/frame_pixels.h"
#include "cli/text.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

using Json = nlohmann::json;

namespace {

void putNonzero(OrderedJson &object, const char *key, int64_t value) {
    if (value != 0)
        object[key] = value;
}

void putFile(OrderedJson &object, const char *key, const std::string &file) {
    if (!file.empty())
        object[key] = file;
}

}  // namespace

OrderedJson frameEntry(const SpriteRecord &s, size_t f, const FrameFiles &files) {
    OrderedJson e = OrderedJson::object();
    putFile(e, "image", files.image);
    if (files.image.empty()) {
        putNonzero(e, "width", s.width[f]);
        putNonzero(e, "height", s.height[f]);
    }
    putNonzero(e, "originX", s.originX[f]);
    putNonzero(e, "originY", s.originY[f]);
    putNonzero(e, "offsetX", s.offsetX[f]);
    putNonzero(e, "offsetY", s.offsetY[f]);
    putNonzero(e, "tag", s.frameTags[f]);
    putNonzero(e, "spare1", s.spare1[f]);
    putNonzero(e, "spare2", s.spare2[f]);
    putFile(e, "spareBits", files.spareBits);
    if (!files.keepDark.empty()) {
        OrderedJson &points = e["keepDark"] = OrderedJson::array();
        for (const uint32_t p : files.keepDark)
            points.push_back({p % s.width[f], p / s.width[f]});
    }
    putFile(e, "pixels", files.pixels);
    if (files.image.empty() && files.pixels.empty())
        putNonzero(e, "pixelSize", s.pixelSize[f]);
    putFile(e, "extra", files.extra);
    if (files.extra.empty())
        putNonzero(e, "extraSize", s.extraSize[f]);
    if (s.hasOptionalBlock) {
        putFile(e, "optional", files.optional);
        if (files.optional.empty())
            putNonzero(e, "optionalSize", s.optionalSize[f]);
    }
    return e;
}

OrderedJson spriteEntry(const SpriteRecord &s, OrderedJson frames) {
    OrderedJson e = OrderedJson::object();
    e["bitsPerPixel"] = s.bitsPerPixel;
    e["translucent"] = s.hasOptionalBlock;
    putNonzero(e, "tag", s.tag);
    putNonzero(e, "auxWord", s.auxWord);
    e["frames"] = std::move(frames);
    return e;
}

OrderedJson librarySpriteEntry(const std::string &name, int32_t id, OrderedJson sprite) {
    OrderedJson e = OrderedJson::object();
    putName(e, name);
    e["id"] = id;
    for (auto &item : sprite.items())
        e[item.key()] = std::move(item.value());
    return e;
}

OrderedJson libraryManifest(const SpriteLibraryRecord &library, OrderedJson sprites) {
    OrderedJson m = OrderedJson::object();
    putNonzero(m, "tag1", library.tag1);
    putNonzero(m, "tag2", library.tag2);
    putNonzero(m, "tag3", library.tag3);
    if (library.spriteCount < 0)
        m["spriteCount"] = library.spriteCount;
    m["sprites"] = std::move(sprites);
    return m;
}

OrderedJson spriteManifest(OrderedJson sprite) {
    return OrderedJson{{"sprite", std::move(sprite)}};
}

namespace {

// Reading fails by throwing this; readManifest turns it into its error line.
struct ManifestError {
    std::string message;
};

[[noreturn]] void fail(const std::string &where, const std::string &what) {
    throw ManifestError{(where.empty() ? std::string("the manifest") : where) + ": " + what};
}

// One JSON object of the manifest, whose keys must all be known.
class Fields {
public:
    Fields(const Json &object, std::string where, std::initializer_list<const char *> known)
        : object_(object), where_(std::move(where)) {
        if (!object.is_object())
            fail(where_, "should be an object {...}");
        for (const auto &item : object.items())
            if (std::none_of(known.begin(), known.end(), [&](const char *key) { return item.key() == key; }))
                fail(where_, "unknown key \"" + item.key() + "\"");
    }

    const std::string &where() const { return where_; }
    std::string at(const char *key) const { return where_.empty() ? key : where_ + "." + key; }
    bool has(const char *key) const { return object_.contains(key); }
    const Json &operator[](const char *key) const { return object_.at(key); }

    // A whole number within low..high; 0 when the key is missing.
    int64_t number(const char *key, int64_t low, int64_t high) const {
        if (!has(key))
            return 0;
        const Json &value = object_.at(key);
        const bool inRange = value.is_number_unsigned()  ? value.get<uint64_t>() <= uint64_t(high)
                             : value.is_number_integer() ? value.get<int64_t>() >= low && value.get<int64_t>() <= high
                                                         : false;
        if (!value.is_number_integer())
            fail(at(key), "should be a whole number");
        if (!inRange)
            fail(at(key), value.dump() + " is not between " + std::to_string(low) + " and " + std::to_string(high));
        return value.get<int64_t>();
    }
    std::string text(const char *key) const {
        const Json &value = object_.at(key);
        if (!value.is_string())
            fail(at(key), "should be a string");
        return value.get<std::string>();
    }

private:
    const Json &object_;
    std::string where_;
};

constexpr int64_t kU16 = 0xFFFF, kU32 = 0xFFFFFFFF, kI32Min = std::numeric_limits<int32_t>::min(),
                  kI32Max = std::numeric_limits<int32_t>::max();

class Reader {
public:
    Reader(const FileReader &readFile, const ManifestLimits &limits) : readFile_(readFile), limits_(limits) {}

    void library(const Fields &m, SpriteSet &set) {
        set.tag1 = uint32_t(m.number("tag1", 0, kU32));
        set.tag2 = uint32_t(m.number("tag2", 0, kU32));
        set.tag3 = uint32_t(m.number("tag3", 0, kU32));
        const Json &sprites = m["sprites"];
        if (!sprites.is_array())
            fail(m.at("sprites"), "should be an array [...]");
        if (sprites.size() > size_t(kI32Max))
            fail(m.at("sprites"), "too many sprites");
        set.spriteCount = int32_t(sprites.size());
        if (m.has("spriteCount")) {
            set.spriteCount = int32_t(m.number("spriteCount", kI32Min, 0));
            if (!sprites.empty())
                fail(m.at("spriteCount"), "may only be given, as 0 or less, for a library without sprites");
        }
        for (size_t i = 0; i < sprites.size(); ++i) {
            const Fields s(sprites[i], m.at("sprites") + "[" + std::to_string(i) + "]",
                           {"name", "nameBytes", "id", "bitsPerPixel", "translucent", "tag", "auxWord", "frames"});
            sprite(s, set.sprites.emplace_back(), true);
        }
    }

    void sprite(const Fields &s, SpriteData &sprite, bool inLibrary) {
        if (inLibrary) {
            sprite.name = spriteName(s);
            sprite.id = int32_t(s.number("id", kI32Min, kI32Max));
        }
        sprite.bitsPerPixel = uint16_t(s.number("bitsPerPixel", 0, kU16));
        sprite.translucent = uint8_t(s.number("translucent", 0, 255));
        sprite.tag = uint32_t(s.number("tag", 0, kU32));
        sprite.auxWord = uint16_t(s.number("auxWord", 0, kU16));
        if (!s.has("frames"))
            return;
        const Json &frames = s["frames"];
        if (!frames.is_array())
            fail(s.at("frames"), "should be an array [...]");
        if (frames.size() > size_t(kU16))
            fail(s.at("frames"), std::to_string(frames.size()) + " frames, more than the 65535 a sprite holds");
        for (size_t f = 0; f < frames.size(); ++f) {
            const Fields e(frames[f], s.at("frames") + "[" + std::to_string(f) + "]",
                           {"image", "width", "height", "originX", "originY", "offsetX", "offsetY", "tag", "spare1",
                            "spare2", "spareBits", "keepDark", "pixels", "pixelSize", "extra", "extraSize", "optional",
                            "optionalSize"});
            frame(e, sprite, sprite.frames.emplace_back());
        }
    }

private:
    std::string spriteName(const Fields &s) {
        if (s.has("name") && s.has("nameBytes"))
            fail(s.where(), "give \"name\" or \"nameBytes\", not both");
        std::string name;
        if (s.has("nameBytes") && !fromHex(s.text("nameBytes"), name))
            fail(s.at("nameBytes"), "should be hexadecimal digits, two per byte");
        if (s.has("name"))
            name = s.text("name");
        const char *key = s.has("name") ? "name" : "nameBytes";
        if (name.size() > 255)
            fail(s.at(key), std::to_string(name.size()) + " bytes long, more than the 255 a name holds");
        if (name.find('\0') != std::string::npos)
            fail(s.at(key), "holds a zero byte");
        return name;
    }

    void frame(const Fields &e, const SpriteData &sprite, FrameData &frame) {
        frame.tag = uint32_t(e.number("tag", 0, kU32));
        frame.width = uint16_t(e.number("width", 0, kU16));
        frame.height = uint16_t(e.number("height", 0, kU16));
        frame.originX = uint16_t(e.number("originX", 0, kU16));
        frame.originY = uint16_t(e.number("originY", 0, kU16));
        frame.offsetX = uint16_t(e.number("offsetX", 0, kU16));
        frame.offsetY = uint16_t(e.number("offsetY", 0, kU16));
        frame.spare1 = uint16_t(e.number("spare1", 0, kU16));
        frame.spare2 = uint16_t(e.number("spare2", 0, kU16));
        frame.extraSize = block(e, "extra", "extraSize", frame.extra);
        if (!sprite.translucent && (e.has("optional") || e.has("optionalSize")))
            fail(e.where(), "has an optional block, but only sprites with a nonzero translucent flag have them");
        frame.optionalSize = block(e, "optional", "optionalSize", frame.optional);
        const int given = int(e.has("image")) + int(e.has("pixels")) + int(e.has("pixelSize"));
        if (given > 1)
            fail(e.where(), "give one of \"image\", \"pixels\" and \"pixelSize\"");
        if ((e.has("spareBits") || e.has("keepDark")) && !e.has("image"))
            fail(e.where(), "\"spareBits\" and \"keepDark\" go with an \"image\"");
        if (e.has("image"))
            picture(e, sprite.bitsPerPixel, frame);
        else
            frame.pixelSize = block(e, "pixels", "pixelSize", frame.pixels);
    }

    // A block from a file, or a byte count of 0 or less without bytes.
    int32_t block(const Fields &e, const char *fileKey, const char *sizeKey, std::vector<uint8_t> &bytes) {
        if (e.has(fileKey) && e.has(sizeKey))
            fail(e.where(), std::string("give \"") + fileKey + "\" or \"" + sizeKey + "\", not both");
        if (e.has(sizeKey))
            return int32_t(e.number(sizeKey, kI32Min, 0));
        if (!e.has(fileKey))
            return 0;
        bytes = file(e, fileKey, uint64_t(kI32Max));
        return int32_t(bytes.size());
    }

    std::vector<uint8_t> file(const Fields &e, const char *key, uint64_t maxBytes) {
        const uint64_t left = limits_.maxTotalBytes - total_;
        std::vector<uint8_t> bytes;
        std::string error;
        if (!readFile_(e.text(key), std::min(maxBytes, left), bytes, error))
            fail(e.at(key), error);
        total_ += bytes.size();
        return bytes;
    }

    // A PNG file; only the pixels it stores count towards the total.
    Image decode(const Fields &e, const char *key, int32_t channels) {
        std::vector<uint8_t> png;
        Image image;
        std::string error;
        if (!readFile_(e.text(key), limits_.png.maxBytes, png, error))
            fail(e.at(key), error);
        if (!decodePng(png.data(), png.size(), channels, image, error, limits_.png))
            fail(e.at(key), e.text(key) + ": " + error);
        return image;
    }

    void picture(const Fields &e, uint16_t bitsPerPixel, FrameData &frame) {
        if (bitsPerPixel != 16 && bitsPerPixel != 24)
            fail(e.at("image"), "pictures go with bitsPerPixel 16 or 24; blocks of other depths come from \"pixels\"");
        const Image image = decode(e, "image", 4);
        if ((e.has("width") && frame.width != image.width) || (e.has("height") && frame.height != image.height))
            fail(e.where(), "width and height do not match the picture's " + std::to_string(image.width) + " x " +
                                std::to_string(image.height));
        frame.width = uint16_t(image.width);
        frame.height = uint16_t(image.height);
        const size_t count = size_t(image.width) * size_t(image.height);
        const uint64_t bytes = uint64_t(count) * (bitsPerPixel / 8);
        if (bytes > uint64_t(kI32Max) || bytes > limits_.maxTotalBytes - total_)
            fail(e.at("image"), "the stored pixels would take more than the sprites may (" +
                                    std::to_string(limits_.maxTotalBytes >> 20) + " MiB in all, 2 GiB a frame)");
        total_ += bytes;
        frame.pixels.resize(size_t(bytes));
        frame.pixelSize = int32_t(bytes);
        std::vector<uint8_t> marks;
        if (e.has("spareBits")) {
            if (bitsPerPixel != 16)
                fail(e.at("spareBits"), "spare bits belong to 16-bit pixels");
            const Image mask = decode(e, "spareBits", 3);
            if (mask.width != image.width || mask.height != image.height)
                fail(e.at("spareBits"), "is " + std::to_string(mask.width) + " x " + std::to_string(mask.height) +
                                            ", not the picture's size");
            marks.resize(count);
            for (size_t p = 0; p < count; ++p)
                marks[p] = mask.pixels[3 * p] >> 7;
        }
        if (e.has("keepDark")) {
            if (bitsPerPixel != 24)
                fail(e.at("keepDark"), "keepDark belongs to 24-bit pixels");
            marks.resize(count);
            const Json &points = e["keepDark"];
            if (!points.is_array())
                fail(e.at("keepDark"), "should be an array of [x, y] pairs");
            for (size_t i = 0; i < points.size(); ++i) {
                const Json &point = points[i];
                const std::string where = e.at("keepDark") + "[" + std::to_string(i) + "]";
                if (!point.is_array() || point.size() != 2 || !point[0].is_number_integer() ||
                    !point[1].is_number_integer())
                    fail(where, "should be an [x, y] pair");
                const int64_t x = point[0].get<int64_t>(), y = point[1].get<int64_t>();
                if (x < 0 || y < 0 || x >= image.width || y >= image.height)
                    fail(where, "lies outside the picture");
                marks[size_t(y) * size_t(image.width) + size_t(x)] = 1;
            }
        }
        const uint8_t *markBytes = marks.empty() ? nullptr : marks.data();
        if (bitsPerPixel == 16)
            store16(image, markBytes, frame.pixels.data());
        else
            store24(image, markBytes, frame.pixels.data());
    }

    const FileReader &readFile_;
    const ManifestLimits &limits_;
    uint64_t total_ = 0;  // bytes of all blocks so far
};

}  // namespace

bool readManifest(const std::string &text, const FileReader &readFile, const ManifestLimits &limits, SpriteSet &set,
                  std::string &error) {
    set = SpriteSet{};
    try {
        Json manifest;
        try {
            manifest = Json::parse(text);
        } catch (const Json::exception &failure) {
            const std::string what = failure.what();  // "[json.exception.parse_error.101] parse error at ..."
            fail("", "not valid JSON: " + what.substr(what.find("] ") == std::string::npos ? 0 : what.find("] ") + 2));
        }
        Reader reader(readFile, limits);
        if (manifest.is_object() && manifest.contains("sprite")) {
            const Fields m(manifest, "", {"sprite"});
            const Fields s(m["sprite"], "sprite", {"bitsPerPixel", "translucent", "tag", "auxWord", "frames"});
            set.singleSprite = true;
            reader.sprite(s, set.sprites.emplace_back(), false);
        } else {
            const Fields m(manifest, "", {"tag1", "tag2", "tag3", "spriteCount", "sprites"});
            if (!m.has("sprites"))
                fail("manifest", "has neither \"sprites\" (a library) nor \"sprite\" (a sprite file)");
            reader.library(m, set);
        }
    } catch (const ManifestError &failure) {
        error = failure.message;
        return false;
    }
    return true;
}
