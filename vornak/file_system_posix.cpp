#include "vornak/file_system_platform.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char *const kPathSeparators = "/";

namespace {

constexpr int kMaxLinkHops = 40;  // as the system's own path lookup

// Follows symbolic links, dangling ones too, to the path that a write
// through them would reach. False on a loop.
bool resolveLinks(std::string path, std::string &resolved) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = std::move(path);
            return true;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target))
            return false;
        const std::string link(target, static_cast<size_t>(length));
        const size_t slash = path.rfind('/');
        path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return false;
}

}  // namespace

bool examineSaveTarget(const char *path, SaveTargetInfo &target) {
    struct stat st;
    if (stat(path, &st) != 0) {
        target.kind = TargetKind::kMissing;
        return errno == ENOENT && resolveLinks(path, target.path);
    }
    target.kind = TargetKind::kOther;
    if (!S_ISREG(st.st_mode))
        return true;
    // The link text must name this very file; /proc's links to a deleted file do not.
    struct stat resolved;
    if (!resolveLinks(path, target.path) || stat(target.path.c_str(), &resolved) != 0 || resolved.st_dev != st.st_dev ||
        resolved.st_ino != st.st_ino)
        return true;
    target.kind = TargetKind::kRegular;
    target.mode = st.st_mode & 07777;
    target.owner = st.st_uid;
    target.group = st.st_gid;
    return true;
}

bool mayWrite(const std::string &path) {
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// A new file gets the permissions "wb" would give it. A replacement keeps
// the old file's, and its owner and group where the process may set them:
// root may, others may keep a group of theirs; the new file is theirs else.
int createReplacement(const std::string &path, const SaveTargetInfo &target) {
    const bool replacing = target.kind == TargetKind::kRegular;
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, replacing ? 0600 : 0666);
    if (fd < 0 || !replacing)
        return fd;
    if (fchown(fd, target.owner, target.group) != 0 && fchown(fd, static_cast<uid_t>(-1), target.group) != 0) {
        // neither may be set: the new file stays the process's own
    }
    if (fchmod(fd, static_cast<mode_t>(target.mode)) == 0)  // after fchown, which may clear set-id bits
        return fd;
    const int error = errno;
    close(fd);
    unlink(path.c_str());
    errno = error;
    return -1;
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

bool regularFileSize(FILE *file, uint64_t &size) {
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}
