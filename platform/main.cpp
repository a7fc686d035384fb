// Program entry for the stand-in: main() hands over to the program's WinMain
// as Windows would, with the command line after the program name.
#include "platform/win32.h"

#include <string>

int main(int argc, char **argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    // The instance handle is the image base, as on Windows.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(uintptr_t(0x400000));
    return WinMain(instance, nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
