#include "cli/sprite_walk.h"

#include "cli/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// Reads little-endian fields front to back; the first shortfall is kept as
// the explanation and every read after it fails.
class Walk {
public:
    Walk(std::ifstream &in, uint64_t size) : in_(in), size_(size) {}

    const std::string &fault() const { return fault_; }

    // Whether count more bytes are there; otherwise the fault names them.
    bool need(uint64_t count, const std::string &noun, const std::string &where) {
        if (!fault_.empty())
            return false;
        if (count <= size_ - offset_)
            return true;
        fault_ = "truncated: " + where + " needs " + std::to_string(count) + " " + noun + " at offset " +
                 std::to_string(offset_) + ", " + std::to_string(size_ - offset_) + " left";
        return false;
    }
    uint64_t offset() const { return offset_; }
    uint64_t namesCut = 0;  // names longer than a loaded name keeps

    uint64_t read(int bytes) {
        uint8_t raw[4] = {};
        in_.read(reinterpret_cast<char *>(raw), bytes);
        offset_ += uint64_t(bytes);
        return uint64_t(raw[0]) | uint64_t(raw[1]) << 8 | uint64_t(raw[2]) << 16 | uint64_t(raw[3]) << 24;
    }
    std::string readText(uint64_t bytes) {
        std::string text(bytes, '\0');
        in_.read(text.data(), std::streamsize(bytes));
        offset_ += bytes;
        return text;
    }
    void skip(uint64_t bytes) {
        in_.seekg(std::streamoff(bytes), std::ios::cur);
        offset_ += bytes;
    }
    // A byte count, then that many bytes; zero or less means none.
    bool block(const std::string &kind, const std::string &where) {
        if (!need(4, kind + " count bytes", where))
            return false;
        const int32_t count = int32_t(uint32_t(read(4)));
        if (count <= 0)
            return true;
        if (!need(uint64_t(count), kind + " bytes", where))
            return false;
        skip(uint64_t(count));
        return true;
    }

private:
    std::ifstream &in_;
    uint64_t size_;
    uint64_t offset_ = 0;
    std::string fault_;
};

// of is "" for a sprite file, or " of sprite N (\"name\")" in a library.
bool walkSprite(Walk &walk, const std::string &of) {
    if (!walk.need(11, "header bytes", of.empty() ? "the sprite" : "the sprite" + of))
        return false;
    walk.read(4);
    const uint64_t frames = walk.read(2);
    walk.read(4);
    const bool optional = walk.read(1) != 0;
    for (uint64_t f = 0; f < frames; ++f) {
        const std::string where = "frame " + std::to_string(f) + of;
        if (!walk.need(20, "frame bytes", where))
            return false;
        walk.skip(20);
        if (!walk.block("extra", where) || !walk.block("pixel", where) || (optional && !walk.block("optional", where)))
            return false;
    }
    return true;
}

bool walkLibrary(Walk &walk) {
    if (!walk.need(16, "header bytes", "the library"))
        return false;
    walk.skip(12);
    const int32_t count = int32_t(uint32_t(walk.read(4)));
    // Each sprite takes at least a name length, an identifier and a header.
    if (count > 0 && !walk.need(uint64_t(count) * 19, "bytes for " + std::to_string(count) + " sprites", "the library"))
        return false;
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "the name of sprite " + std::to_string(i);
        if (!walk.need(4, "length bytes", where))
            return false;
        const int32_t length = int32_t(uint32_t(walk.read(4)));
        if (length > 0 && !walk.need(uint64_t(length), "name bytes", where))
            return false;
        names.push_back(length > 0 ? walk.readText(uint64_t(std::min(length, 255))) : std::string());
        if (length > 255) {
            walk.skip(uint64_t(length - 255));
            ++walk.namesCut;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        const std::string of = " of sprite " + std::to_string(i) + " (" + quotedName(names[size_t(i)]) + ")";
        if (!walk.need(4, "identifier bytes", "the sprite" + of))
            return false;
        walk.read(4);
        if (!walkSprite(walk, of))
            return false;
    }
    return true;
}

struct WalkResult {
    bool whole = false;  // the layout is complete
    std::string fault;   // otherwise why not
    uint64_t unread = 0, namesCut = 0;
};

WalkResult walkFile(const std::string &path, bool singleSprite) {
    WalkResult result;
    std::error_code failure;
    if (std::filesystem::is_directory(path, failure)) {
        result.fault = "is a folder, not a file";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.fault = std::string("cannot open: ") + std::strerror(errno);
        return result;
    }
    const uint64_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        result.fault = "cannot read: " + failure.message();
        return result;
    }
    Walk walk(in, size);
    result.whole = singleSprite ? walkSprite(walk, "") : walkLibrary(walk);
    result.fault = walk.fault();
    result.unread = size - walk.offset();
    result.namesCut = walk.namesCut;
    return result;
}

}  // namespace

std::string explainRefusal(const std::string &path, bool singleSprite) {
    const WalkResult walk = walkFile(path, singleSprite);
    return walk.whole ? "the module refused it although its layout is complete (out of memory?)" : walk.fault;
}

std::string leftOut(const std::string &path, bool singleSprite) {
    const WalkResult walk = walkFile(path, singleSprite);
    std::string left;
    if (walk.whole && walk.namesCut)
        left = std::to_string(walk.namesCut) + (walk.namesCut == 1 ? " name is" : " names are") +
               " longer than the 255 bytes a loaded name keeps";
    if (walk.whole && walk.unread)
        left += (left.empty() ? "" : "; ") + std::to_string(walk.unread) + " bytes after the end are ignored";
    return left;
}
