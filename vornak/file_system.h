// Where the module's files come from and go to: a load's source with the
// byte limit its reader keeps to, and a save's destination that replaces the
// previous file only once the new content is complete. The logic is shared;
// file_system_platform.h lists what each platform supplies for it.
#ifndef VORNAK_FILE_SYSTEM_H
#define VORNAK_FILE_SYSTEM_H

#include <cstdint>
#include <cstdio>
#include <string>

// Sources whose size cannot be known (pipes, devices) may supply at most this
// many bytes to one load.
inline constexpr uint64_t kUnsizedSourceLimit = uint64_t{64} << 20;

// A load's source, opened "rb". A regular file is sized: limit is its size.
// Anything else, and a file that reports size 0 (those of /proc, say), is
// not: limit is kUnsizedSourceLimit, and only what arrives is known to exist.
struct Source {
    FILE *file = nullptr;  // null when the open failed
    uint64_t limit = 0;
    bool sized = false;
};
Source openSource(const char *path);

// Where a save writes, by what its path names:
// - A regular file, or nothing yet: a new file beside it, renamed over it by
//   commit, so the path holds the old or the whole new content, never a mix.
//   Symbolic links are followed to the file they name and stay links. The
//   new file takes the old one's permissions, and its owner and group where
//   the process may set them.
// - A regular file the process may not write is never replaced. A writable
//   one beside which no file can be made (a folder without write permission)
//   is written in place, as "wb" would: the one case that is not atomic.
// - Anything else (a pipe, a device, a socket), however reached, and a file
//   reached through a link that names no path to it (one of /proc's, to a
//   deleted file): written through the path as given.
// A symbolic link loop, or a path whose folders cannot be searched, gives no
// file, and nothing changes.
class SaveTarget {
public:
    explicit SaveTarget(const char *path);
    ~SaveTarget();  // an uncommitted save is thrown away, the old file kept
    SaveTarget(const SaveTarget &) = delete;
    SaveTarget &operator=(const SaveTarget &) = delete;

    FILE *file() const { return file_; }  // null when nothing could be opened

    // Flushes, syncs and closes, then puts the new file in place. False
    // when any of that fails; a replacement then leaves the old file.
    bool commit();

private:
    std::string finalPath_;
    std::string tempPath_;  // empty when writing directly
    FILE *file_ = nullptr;
};

#endif
