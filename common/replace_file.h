// Writing a file whole or not at all: the bytes go to a new file beside the
// target, which is flushed to disk and then renamed over it, so a reader sees
// the old file or the new one, never a part. A failure leaves the target as
// it was and no file beside it.
#ifndef COMMON_REPLACE_FILE_H
#define COMMON_REPLACE_FILE_H

#include <cstddef>
#include <string>
#include <utility>

// False with a one-line reason in error (naming the path) when the file could
// not be written.
bool replaceFile(const std::string &path, const void *bytes, size_t size, std::string &error);

// A directory made whole or not at all: its files go into a new directory
// beside the target, and commit renames that into place once every file is
// on disk. The target must not exist or be an empty directory: one with
// anything in it is never replaced. An uncommitted directory is removed with
// everything in it. Each call returns false with a one-line reason in error.
class NewDirectory {
public:
    explicit NewDirectory(std::string target) : target_(std::move(target)) {}
    ~NewDirectory();
    NewDirectory(const NewDirectory &) = delete;
    NewDirectory &operator=(const NewDirectory &) = delete;

    // Makes the directory beside the target; fails when the target already
    // holds something.
    bool create(std::string &error);
    // A new file at name, a '/'-separated path inside the directory; the
    // folders on the way are made as needed.
    bool write(const std::string &name, const void *bytes, size_t size, std::string &error);
    bool commit(std::string &error);

private:
    std::string target_;
    std::string temporary_;  // empty until created, and again once committed
};

#endif
