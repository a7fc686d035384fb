// Writing a file whole or not at all: the bytes go to a new file beside the
// target, which is flushed to disk and then renamed over it, so a reader sees
// the old file or the new one, never a part. A failure leaves the target as
// it was and no file beside it.
#ifndef COMMON_REPLACE_FILE_H
#define COMMON_REPLACE_FILE_H

#include <cstddef>
#include <string>

// False with a one-line reason in error (naming the path) when the file could
// not be written.
bool replaceFile(const std::string &path, const void *bytes, size_t size, std::string &error);

#endif
