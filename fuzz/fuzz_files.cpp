#include "fuzz/fuzz_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Every input is written, loaded and often saved, with a sync: in memory,
// where the system has a shared-memory file system, that is twenty times
// faster than on disk.
std::string scratchBase() {
    const char *base = std::getenv("TMPDIR");
    if (base && *base)
        return base;
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
}

std::string makeScratchFolder() {
    std::string pattern = scratchBase() + "/vornak-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        fail("no scratch folder could be made");
    return pattern;
}

struct ScratchFolder {
    const std::string path = makeScratchFolder();
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string scratchFile(const char *name) {
    static const ScratchFolder folder;
    return folder.path + "/" + name;
}

void writeBytes(const std::string &path, const uint8_t *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(reinterpret_cast<const char *>(data), std::streamsize(size)) || !out.flush())
        fail("an input could not be written to its file");
}

std::vector<uint8_t> readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const char *what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}
