// Run-time loading of shared objects under the Windows names.
//
// A bare name is taken as Windows takes a DLL name without suffix: "Vornak"
// becomes libVornak.so, looked for first in the directory of the running
// program, then through the system's own search. A name with a slash or a
// suffix is used as it stands.
#include "platform/core.h"

#include <dlfcn.h>
#include <string>
#include <unistd.h>

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

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !fileName[0])
        return nullptr;
    std::string name(fileName);
    void *handle = nullptr;
    if (name.find('/') != std::string::npos) {
        handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    } else {
        std::string file = hasSuffix(name) ? name : "lib" + name + ".so";
        std::string directory = executableDirectory();
        if (!directory.empty())
            handle = dlopen((directory + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return static_cast<HMODULE>(handle);
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
