// The platform-specific part of the module: opening a load's source with a
// byte limit, and a save's destination that replaces the previous file only
// once the new content is complete.
#ifndef VORNAK_FILE_SYSTEM_H
#define VORNAK_FILE_SYSTEM_H

#include <cstdint>
#include <cstdio>
#include <string>

// Sources whose size cannot be known (pipes, devices) may supply at most this
// many bytes to one load, which bounds what such a load can allocate.
inline constexpr uint64_t kUnsizedSourceLimit = uint64_t{64} << 20;

// Opens path "rb". limit receives the size of a regular file, or
// kUnsizedSourceLimit for anything else and for files that report size 0.
// Null when the open fails.
FILE *openSource(const char *path, uint64_t &limit);

// Where a save writes. A regular file or a path that does not exist yet is
// written to a new file beside it, which takes the old file's permissions
// and is renamed over it by commit; a symbolic link is followed to the file
// it names. Anything else (a device, a pipe) is written directly.
class SaveTarget {
public:
    explicit SaveTarget(const char *path);
    ~SaveTarget();  // an uncommitted save is thrown away, the old file kept
    SaveTarget(const SaveTarget &) = delete;
    SaveTarget &operator=(const SaveTarget &) = delete;

    FILE *file() const { return file_; }  // null when nothing could be opened

    // Flushes, syncs and closes, then puts the new file in place. False
    // when any of that fails; the path then holds what it held before.
    bool commit();

private:
    std::string finalPath_;
    std::string tempPath_;  // empty when writing directly
    FILE *file_ = nullptr;
};

#endif
