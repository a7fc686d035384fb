#include "vornak/file_system_platform.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

const char *const kPathSeparators = "/\\";

bool examineSaveTarget(const char *path, SaveTargetInfo &target) {
    target.path = path;
    struct _stat64 st;
    if (_stat64(path, &st) != 0) {
        target.kind = TargetKind::kMissing;
        return errno == ENOENT;
    }
    target.kind = (st.st_mode & _S_IFMT) == _S_IFREG ? TargetKind::kRegular : TargetKind::kOther;
    return true;
}

bool mayWrite(const std::string &path) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
}

int createReplacement(const std::string &path, const SaveTargetInfo &) {
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

bool regularFileSize(FILE *file, uint64_t &size) {
    struct _stat64 st;
    if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG)
        return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}
