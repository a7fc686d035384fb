#include "tests/windows/pe_file.h"

namespace {

constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kMaxEntries = 65536;

class PeReader {
public:
    explicit PeReader(const std::vector<uint8_t> &bytes) : bytes_(bytes) {}

    bool fits(uint64_t offset, uint64_t size) const { return offset <= bytes_.size() && size <= bytes_.size() - offset; }

    uint32_t read(uint64_t offset, int size) const
    {
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | bytes_[offset + uint64_t(i)];
        return value;
    }

    // The file offset of an address relative to the image base, or false
    // when no section holds size bytes there.
    bool fileOffset(uint32_t rva, uint32_t size, uint64_t &offset) const
    {
        for (const Section &section : sections_) {
            if (rva >= section.rva && uint64_t(rva) + size <= uint64_t(section.rva) + section.rawSize) {
                offset = uint64_t(section.rawOffset) + (rva - section.rva);
                return fits(offset, size);
            }
        }
        return false;
    }

    // A zero-terminated string at rva, read within the file.
    bool string(uint32_t rva, std::string &text) const
    {
        uint64_t offset;
        if (!fileOffset(rva, 1, offset))
            return false;
        text.clear();
        while (offset < bytes_.size() && bytes_[offset] != 0 && text.size() < 4096)
            text.push_back(char(bytes_[offset++]));
        return offset < bytes_.size() && bytes_[offset] == 0;
    }

    void addSection(uint32_t rva, uint32_t rawSize, uint32_t rawOffset) { sections_.push_back({rva, rawSize, rawOffset}); }

private:
    struct Section {
        uint32_t rva;
        uint32_t rawSize;
        uint32_t rawOffset;
    };
    const std::vector<uint8_t> &bytes_;
    std::vector<Section> sections_;
};

bool readImports(const PeReader &file, uint32_t rva, uint32_t size, PeFile &pe, std::string &error)
{
    if (size == 0)
        return true;
    // 20-byte descriptors up to an all-zero one; the name is at +12.
    for (uint32_t i = 0; i < kMaxEntries; ++i) {
        uint64_t offset;
        if (!file.fileOffset(rva + i * 20, 20, offset)) {
            error = "import directory outside the file";
            return false;
        }
        uint32_t nameRva = file.read(offset + 12, 4);
        if (nameRva == 0)
            return true;
        std::string name;
        if (!file.string(nameRva, name)) {
            error = "import name outside the file";
            return false;
        }
        pe.importedDlls.push_back(name);
    }
    error = "import directory without end";
    return false;
}

bool readExports(const PeReader &file, uint32_t rva, uint32_t size, PeFile &pe, std::string &error)
{
    if (size == 0)
        return true;
    uint64_t directory;
    if (!file.fileOffset(rva, 40, directory)) {
        error = "export directory outside the file";
        return false;
    }
    uint32_t base = file.read(directory + 16, 4);
    pe.exportedFunctionCount = file.read(directory + 20, 4);
    uint32_t nameCount = file.read(directory + 24, 4);
    uint32_t namesRva = file.read(directory + 32, 4);
    uint32_t ordinalsRva = file.read(directory + 36, 4);
    uint64_t names = 0;
    uint64_t ordinals = 0;
    if (nameCount > kMaxEntries || pe.exportedFunctionCount > kMaxEntries ||
        (nameCount && (!file.fileOffset(namesRva, nameCount * 4, names) ||
                       !file.fileOffset(ordinalsRva, nameCount * 2, ordinals)))) {
        error = "export tables outside the file";
        return false;
    }
    for (uint32_t i = 0; i < nameCount; ++i) {
        PeExport entry;
        if (!file.string(file.read(names + i * 4, 4), entry.name)) {
            error = "export name outside the file";
            return false;
        }
        entry.ordinal = base + file.read(ordinals + i * 2, 2);
        pe.exports.push_back(entry);
    }
    return true;
}

} // namespace

bool readPeFile(const std::vector<uint8_t> &bytes, PeFile &pe, std::string &error)
{
    pe = PeFile{};
    PeReader file(bytes);
    if (!file.fits(0, 64) || file.read(0, 2) != 0x5A4D) {
        error = "no MZ header";
        return false;
    }
    uint64_t header = file.read(60, 4);
    if (!file.fits(header, 24) || file.read(header, 4) != 0x00004550) {
        error = "no PE signature";
        return false;
    }
    uint32_t sectionCount = file.read(header + 6, 2);
    uint32_t optionalSize = file.read(header + 20, 2);
    uint64_t optional = header + 24;
    // PE32+: subsystem at +68, directory count at +108, directories from +112.
    if (optionalSize < 112 || !file.fits(optional, optionalSize) || file.read(optional, 2) != kPe32PlusMagic) {
        error = "not a PE32+ image";
        return false;
    }
    pe.subsystem = uint16_t(file.read(optional + 68, 2));
    uint32_t directoryCount = file.read(optional + 108, 4);
    if (directoryCount < 2 || 112 + uint64_t(directoryCount) * 8 > optionalSize) {
        error = "no import or export directory slot";
        return false;
    }
    uint64_t sections = optional + optionalSize;
    if (!file.fits(sections, uint64_t(sectionCount) * 40)) {
        error = "section table outside the file";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        uint64_t section = sections + uint64_t(i) * 40;
        file.addSection(file.read(section + 12, 4), file.read(section + 16, 4), file.read(section + 20, 4));
    }
    return readExports(file, file.read(optional + 112, 4), file.read(optional + 116, 4), pe, error) &&
           readImports(file, file.read(optional + 120, 4), file.read(optional + 124, 4), pe, error);
}
