// What the shared file logic of file_system.cpp asks of each platform:
// file_system_posix.cpp and file_system_windows.cpp supply it. Failures leave
// the reason in errno.
#ifndef VORNAK_FILE_SYSTEM_PLATFORM_H
#define VORNAK_FILE_SYSTEM_PLATFORM_H

#include <cstdint>
#include <cstdio>
#include <string>

extern const char *const kPathSeparators;

enum class TargetKind {
    kMissing,  // nothing there yet
    kRegular,
    kOther,  // written through the path as given
};

struct SaveTargetInfo {
    TargetKind kind = TargetKind::kMissing;
    std::string path;  // kMissing and kRegular: where the file is, links followed
    // kRegular on POSIX systems: what the replacement takes over.
    unsigned mode = 0;
    uint32_t owner = 0;
    uint32_t group = 0;
};

// False for a path that cannot be saved to: a link loop, an unsearchable folder.
bool examineSaveTarget(const char *path, SaveTargetInfo &target);
// Whether the process may open this existing file for writing.
bool mayWrite(const std::string &path);
// Creates path exclusively for writing, with what a replacement of target
// takes over; -1 when it cannot.
int createReplacement(const std::string &path, const SaveTargetInfo &target);
FILE *openDescriptor(int fd);  // "wb"
void closeDescriptor(int fd);
int processId();
bool syncToDisk(FILE *file);
bool replaceFile(const std::string &from, const std::string &to);
// The size of an open regular file; false for anything else.
bool regularFileSize(FILE *file, uint64_t &size);

#endif
