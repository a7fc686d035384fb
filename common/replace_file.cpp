#include "common/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

std::atomic<unsigned> g_serial{0};  // keeps the temporary names of one process apart

#ifdef _WIN32
int processId() {
    return _getpid();
}
int createNew(const std::string &path) {
    return _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
}
bool writeAll(int fd, const char *bytes, size_t size) {
    while (size > 0) {
        const unsigned step = size > (1u << 30) ? (1u << 30) : unsigned(size);
        const int written = _write(fd, bytes, step);
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}
bool syncAndClose(int fd) {
    const bool synced = _commit(fd) == 0;
    return (_close(fd) == 0) && synced;
}
void removeFile(const std::string &path) {
    _unlink(path.c_str());
}
bool renameOver(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void syncDirectory(const std::string &) {}  // NTFS keeps its directory entries itself
// Files of a new folder are synced one by one as they are written.
bool closeUnsynced(int fd) {
    return syncAndClose(fd);
}
bool syncTree(const std::string &) {
    return true;
}
#else
int processId() {
    return int(getpid());
}
int createNew(const std::string &path) {
    return open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}
bool writeAll(int fd, const char *bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= size_t(written);
    }
    return true;
}
bool syncAndClose(int fd) {
    const bool synced = fsync(fd) == 0;
    return (close(fd) == 0) && synced;
}
void removeFile(const std::string &path) {
    unlink(path.c_str());
}
bool renameOver(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
void syncDirectory(const std::string &path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
// The files of a new folder go to disk together when it is committed: one
// sync of the file system instead of one per file, which costs far more.
bool closeUnsynced(int fd) {
    return close(fd) == 0;
}
bool syncTree(const std::string &path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
#ifdef __linux__
    const bool synced = syncfs(fd) == 0;
#else
    sync();
    const bool synced = true;
#endif
    close(fd);
    return synced;
}
#endif

std::string directoryOf(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool replaceFile(const std::string &path, const void *bytes, size_t size, std::string &error) {
    const std::string prefix = directoryOf(path) + "." + fileNameOf(path) + ".new-" + std::to_string(processId()) + "-";
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = prefix + std::to_string(g_serial++);
        fd = createNew(temporary);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = path + ": cannot create a file beside it: " + std::strerror(errno);
        return false;
    }
    const bool written = writeAll(fd, static_cast<const char *>(bytes), size);
    const int writeErrno = errno;
    if (!syncAndClose(fd) || !written) {
        removeFile(temporary);
        error = path + ": cannot write: " + std::strerror(written ? errno : writeErrno);
        return false;
    }
    if (!renameOver(temporary, path)) {
        const int renameErrno = errno;
        removeFile(temporary);
        error = path + ": cannot put the new file in place: " + std::strerror(renameErrno);
        return false;
    }
    return true;
}

NewDirectory::~NewDirectory() {
    if (temporary_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(temporary_, ignored);
}

bool NewDirectory::create(std::string &error) {
    namespace fs = std::filesystem;
    std::error_code failure;
    if (fs::exists(target_, failure) && !(fs::is_directory(target_, failure) && fs::is_empty(target_, failure))) {
        error = target_ + ": already exists and is not an empty folder; nothing was written";
        return false;
    }
    const std::string trimmed = target_.substr(0, target_.find_last_not_of("/\\") + 1);
    const std::string prefix =
        directoryOf(trimmed) + "." + fileNameOf(trimmed) + ".new-" + std::to_string(processId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = prefix + std::to_string(g_serial++);
        if (fs::create_directory(candidate, failure)) {
            temporary_ = candidate;
            return true;
        }
        if (failure)
            break;
    }
    error = target_ + ": cannot create a folder beside it: " + (failure ? failure.message() : "too many tries");
    return false;
}

bool NewDirectory::write(const std::string &name, const void *bytes, size_t size, std::string &error) {
    const std::string path = temporary_ + "/" + name;
    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failure);
    const int fd = failure ? -1 : createNew(path);
    if (fd < 0) {
        error = target_ + "/" + name + ": cannot create: " + (failure ? failure.message() : std::strerror(errno));
        return false;
    }
    const bool written = writeAll(fd, static_cast<const char *>(bytes), size);
    const int writeErrno = errno;
    if (!closeUnsynced(fd) || !written) {
        error = target_ + "/" + name + ": cannot write: " + std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}

bool NewDirectory::commit(std::string &error) {
    std::error_code failure;
    if (!syncTree(temporary_)) {
        error = target_ + ": cannot write the new folder to disk: " + std::strerror(errno);
        return false;
    }
    std::filesystem::rename(temporary_, target_, failure);
    if (failure) {
        error = target_ + ": cannot put the new folder in place: " + failure.message();
        return false;
    }
    syncDirectory(directoryOf(target_.substr(0, target_.find_last_not_of("/\\") + 1)) + ".");
    temporary_.clear();
    return true;
}
