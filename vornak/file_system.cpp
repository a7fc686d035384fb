#include "vornak/file_system.h"

#include <atomic>
#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<unsigned> g_saveSerial{0};  // keeps temporary names of one process apart

#ifdef _WIN32
constexpr const char *kSeparators = "/\\";
#else
constexpr const char *kSeparators = "/";
#endif

std::string directoryOf(const std::string &path) {
    const size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

struct PathState {
    bool exists = false;
    bool regular = false;
    unsigned mode = 0;  // permission bits of an existing file
};

#ifdef _WIN32

std::string resolveLinks(const std::string &path) {
    return path;
}

PathState statePath(const std::string &path) {
    PathState state;
    struct _stat64 st;
    if (_stat64(path.c_str(), &st) == 0) {
        state.exists = true;
        state.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    }
    return state;
}

bool isRegular(FILE *file, uint64_t &size) {
    struct _stat64 st;
    if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG)
        return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

int createExclusive(const std::string &path, const PathState &) {
    return _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
}

FILE *openDescriptor(int fd) {
    return _fdopen(fd, "wb");
}
void closeDescriptor(int fd) {
    _close(fd);
}
int processId() {
    return _getpid();
}
bool syncToDisk(FILE *file) {
    return _commit(_fileno(file)) == 0;
}

bool replaceFile(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

#else

// Follows symbolic links, dangling ones too, to the path that a write
// through them would reach.
std::string resolveLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target))
            break;
        const std::string link(target, static_cast<size_t>(length));
        path = link[0] == '/' ? link : directoryOf(path) + link;
    }
    return path;
}

PathState statePath(const std::string &path) {
    PathState state;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        state.exists = true;
        state.regular = S_ISREG(st.st_mode);
        state.mode = st.st_mode & 07777;
    }
    return state;
}

bool isRegular(FILE *file, uint64_t &size) {
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

// A new file gets the permissions "wb" would give it; a replacement keeps
// those of the file it replaces.
int createExclusive(const std::string &path, const PathState &target) {
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0 && target.exists && fchmod(fd, static_cast<mode_t>(target.mode)) != 0) {
        close(fd);
        unlink(path.c_str());
        return -1;
    }
    return fd;
}

FILE *openDescriptor(int fd) {
    return fdopen(fd, "wb");
}
void closeDescriptor(int fd) {
    close(fd);
}
int processId() {
    return static_cast<int>(getpid());
}
bool syncToDisk(FILE *file) {
    return fsync(fileno(file)) == 0;
}

bool replaceFile(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

#endif

}  // namespace

FILE *openSource(const char *path, uint64_t &limit) {
    FILE *file = std::fopen(path, "rb");
    // Some regular files (those of /proc, say) report a size of 0 and still
    // have content; an empty file fails on its first read either way.
    if (file && (!isRegular(file, limit) || limit == 0))
        limit = kUnsizedSourceLimit;
    return file;
}

SaveTarget::SaveTarget(const char *path) : finalPath_(resolveLinks(path)) {
    const PathState target = statePath(finalPath_);
    if (target.exists && !target.regular) {
        file_ = std::fopen(finalPath_.c_str(), "wb");
        return;
    }
    const std::string prefix = directoryOf(finalPath_) + ".vornak-save-" + std::to_string(processId()) + "-";
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        std::string candidate = prefix + std::to_string(g_saveSerial++);
        const int fd = createExclusive(candidate, target);
        if (fd < 0) {
            if (errno != EEXIST)
                return;
            continue;
        }
        file_ = openDescriptor(fd);
        if (!file_) {
            closeDescriptor(fd);
            std::remove(candidate.c_str());
            return;
        }
        tempPath_ = std::move(candidate);
    }
}

SaveTarget::~SaveTarget() {
    if (file_) {
        std::fclose(file_);
        if (!tempPath_.empty())
            std::remove(tempPath_.c_str());
    }
}

bool SaveTarget::commit() {
    FILE *file = file_;
    file_ = nullptr;
    if (!file)
        return false;
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (ok && !tempPath_.empty())
        ok = syncToDisk(file);
    ok = std::fclose(file) == 0 && ok;
    if (tempPath_.empty())
        return ok;
    ok = ok && replaceFile(tempPath_, finalPath_);
    if (!ok)
        std::remove(tempPath_.c_str());
    tempPath_.clear();
    return ok;
}
