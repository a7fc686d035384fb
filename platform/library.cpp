// Run-time loading of shared objects under the Windows names.
//
// A bare name is taken as Windows takes a DLL name without suffix: "Vornak"
// becomes libVornak.so.1, the file name under which this release's libraries
// are installed (the project's major version, STANDIN_LIBRARY_VERSION), or
// else libVornak.so, the development link. Each is looked for first in the
// directory of the running program, then through the system's own search,
// which includes the program's RUNPATH: an installed program in P/bin finds
// P/lib. A name with a slash or a suffix is used as it stands.
//
// The stand-in's own plugins are looked for beside the program and in its
// installed library folder only (openBesideProgram, core.h).
#include "platform/core.h"

#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string executableDirectory() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return std::string();
    path[length] = '\0';
    std::string full(path);
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

bool hasSuffix(const std::string &name) {
    size_t slash = name.rfind('/');
    size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

void *standin::openBesideProgram(const std::string &file, std::string *error) {
    const std::string directory = executableDirectory();
    if (directory.empty()) {
        *error = "cannot tell where the program lies, to find " + file;
        return nullptr;
    }
    for (const std::string &folder : {directory, directory + "/" STANDIN_BIN_TO_LIB}) {
        const std::string path = folder + "/" + file;
        if (access(path.c_str(), F_OK) != 0)
            continue;
        if (void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
        *error = dlerror();
        return nullptr;
    }
    *error = "no " + file + " in " + directory + " or " + directory + "/" STANDIN_BIN_TO_LIB;
    return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !fileName[0])
        return nullptr;
    const std::string name(fileName);
    if (name.find('/') != std::string::npos)
        return static_cast<HMODULE>(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));

    std::vector<std::string> files = {name};
    if (!hasSuffix(name))
        files = {"lib" + name + ".so." STANDIN_LIBRARY_VERSION, "lib" + name + ".so"};
    std::vector<std::string> candidates;
    const std::string directory = executableDirectory();
    if (!directory.empty()) {
        for (const std::string &file : files)
            candidates.push_back(directory + "/" + file);
    }
    candidates.insert(candidates.end(), files.begin(), files.end());
    for (const std::string &candidate : candidates) {
        if (void *handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return static_cast<HMODULE>(handle);
    }
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
    if (!module || !procName)
        return nullptr;
    // Lookups by ordinal (a number in place of a name) are not supported.
    if (reinterpret_cast<uintptr_t>(procName) <= 0xFFFF)
        return nullptr;
    void *symbol = dlsym(module, procName);
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    if (!module)
        return FALSE;
    return dlclose(module) == 0 ? TRUE : FALSE;
}
