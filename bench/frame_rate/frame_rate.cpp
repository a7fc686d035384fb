// Frames per second of the client's own frame on the sample world, built from
// the client's sources (its WinMain unused) for Windows, where it runs on the
// real DirectDraw, and for the stand-in:
//
//   frame_rate [SECONDS]     (from the folder with the sample world)
//
// The start-up is the client's (createMainWindow, setupDisplay, setupScene),
// then the client's loop, one message and one runFrame per pass, for the given
// seconds (default 10). Every frame that reached present counts: each ends in
// one Flip, which waits for the display. Prints the count and the rate; exit
// code 1 when the display or the scene could not be set up.
#include "client/shell/shell.h"
#include "tools/command_line/command_line.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "frame_rate", "Frames per second of the client's own loop on the sample world.");
    double seconds = 10.0;
    app.add_option("SECONDS", seconds, "How long to count frames (default 10)")->check(CLI::Range(0.001, 86400.0));
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
#if defined(_WIN32)
    HINSTANCE instance = GetModuleHandleA(nullptr);
#else
    // What the stand-in's entry hands to WinMain: the image base.
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(uintptr_t(0x400000));
#endif

    HWND window = createMainWindow(instance);
    if (!setupDisplay(window) || !setupScene()) {
        std::printf("frame_rate: the display or the scene could not be set up\n");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long long frames = 0;
    MSG message{};
    Clock::time_point now = start;
    while (now < end) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&message, nullptr, 0, 0) == 0)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (runFrame())
            ++frames;
        now = Clock::now();
    }
    const double elapsed = std::chrono::duration<double>(now - start).count();
    std::printf("frame_rate: %lld frames in %.2f s = %.1f frames/s\n", frames, elapsed, frames / elapsed);
    std::fflush(stdout);
    return 0;
}
