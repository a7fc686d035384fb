#include "vornak/file_system.h"

#include "vornak/file_system_platform.h"

#include <atomic>
#include <cerrno>
#include <utility>

namespace {

std::atomic<unsigned> g_saveSerial{0};  // keeps temporary names of one process apart

std::string directoryOf(const std::string &path) {
    const size_t slash = path.find_last_of(kPathSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Opening a pipe waits for its other end, and a signal whose handler does
// not restart calls cuts that wait short: open again.
FILE *openFile(const char *path, const char *mode) {
    FILE *file;
    do
        file = std::fopen(path, mode);
    while (!file && errno == EINTR);
    return file;
}

}  // namespace

Source openSource(const char *path) {
    Source source;
    source.file = openFile(path, "rb");
    source.sized = source.file && regularFileSize(source.file, source.limit) && source.limit > 0;
    if (!source.sized)
        source.limit = kUnsizedSourceLimit;
    return source;
}

SaveTarget::SaveTarget(const char *path) {
    SaveTargetInfo target;
    if (!examineSaveTarget(path, target))
        return;
    if (target.kind == TargetKind::kOther) {
        file_ = openFile(path, "wb");
        return;
    }
    if (target.kind == TargetKind::kRegular && !mayWrite(target.path))
        return;
    const std::string prefix = directoryOf(target.path) + ".vornak-save-" + std::to_string(processId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = prefix + std::to_string(g_saveSerial++);
        const int fd = createReplacement(candidate, target);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            if (target.kind == TargetKind::kRegular && (errno == EACCES || errno == EPERM))
                file_ = openFile(path, "wb");  // in place: nothing can be made beside it
            return;
        }
        file_ = openDescriptor(fd);
        if (!file_) {
            closeDescriptor(fd);
            std::remove(candidate.c_str());
            return;
        }
        finalPath_ = std::move(target.path);
        tempPath_ = std::move(candidate);
        return;
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
