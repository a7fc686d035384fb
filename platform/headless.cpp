// The headless presenter: no window. Frames are only kept (see standin.h);
// input comes from a script (format in script.cpp), from STANDIN_SCRIPT or
// standin::setScript.
#include "platform/core.h"
#include "platform/script.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace standin {
namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct ScriptRun {
    std::vector<ScriptCommand> commands;
    size_t next = 0;
    bool failed = false;   // WM_CLOSE still to be sent for a bad script
    bool waiting = false;  // a frames or seconds command has started
    uint64_t frameTarget = 0;
    std::chrono::steady_clock::time_point timeTarget;
    bool delivered = false;         // an input command has arrived...
    uint64_t deliveredAtFrame = 0;  // ...when this many frames were presented
    size_t burstLeft = 0;
    int mouseX = 0;
    int mouseY = 0;
    bool leftDown = false;
};

ScriptRun &run() {
    static ScriptRun *scriptRun = new ScriptRun;
    return *scriptRun;
}

void loadScriptText(const std::string &text) {
    ScriptRun &r = run();
    r = ScriptRun();
    std::string error;
    if (!parseScript(text, &r.commands, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        r.commands.clear();
        r.failed = true;
    }
}

void deliver(const ScriptCommand &command) {
    ScriptRun &r = run();
    LPARAM position = MAKELPARAM(r.mouseX, r.mouseY);
    switch (command.kind) {
    case ScriptCommand::Move:
        r.mouseX = (int)command.amount;
        r.mouseY = command.y;
        postInput(WM_MOUSEMOVE, r.leftDown ? MK_LBUTTON : 0, MAKELPARAM(r.mouseX, r.mouseY));
        break;
    case ScriptCommand::LeftDown:
        r.leftDown = true;
        postInput(WM_LBUTTONDOWN, MK_LBUTTON, position);
        break;
    case ScriptCommand::LeftUp:
        r.leftDown = false;
        postInput(WM_LBUTTONUP, 0, position);
        break;
    case ScriptCommand::Key: postInput(WM_KEYDOWN, (WPARAM)command.amount, 1); break;
    case ScriptCommand::Close: postInput(WM_CLOSE, 0, 0); break;
    default: break;
    }
}

bool headlessOpen() {
    const char *path = std::getenv("STANDIN_SCRIPT");
    if (!path || !path[0]) {
        loadScriptText(std::string());
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file)
        text << file.rdbuf();
    if (!file || file.bad()) {
        std::fprintf(stderr, "cannot read the input script %s\n", path);
        loadScriptText(std::string());
        run().failed = true;
        return true;
    }
    loadScriptText(text.str());
    return true;
}

void headlessDesktopSize(int *width, int *height) {
    *width = kPictureWidth;
    *height = kPictureHeight;
}

void headlessShow(const Frame &) {}

void headlessPump() {
    ScriptRun &r = run();
    if (r.failed) {
        if (focusWindow()) {
            postInput(WM_CLOSE, 0, 0);
            r.failed = false;
        }
        return;
    }
    while (r.next < r.commands.size()) {
        const ScriptCommand &command = r.commands[r.next];
        uint64_t frames = presentedFrameCount();
        if (command.kind == ScriptCommand::Frames || command.kind == ScriptCommand::Seconds) {
            if (!r.waiting) {
                r.waiting = true;
                r.frameTarget = frames + (uint64_t)command.amount;
                r.timeTarget =
                    std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                           std::chrono::duration<double>(command.amount));
            }
            bool done = command.kind == ScriptCommand::Frames ? frames >= r.frameTarget
                                                              : std::chrono::steady_clock::now() >= r.timeTarget;
            if (!done)
                return;
            r.waiting = false;
        } else if (command.kind == ScriptCommand::Shot) {
            if (!saveFramePng(lastPresentedFrame(), command.path))
                std::fprintf(stderr, "cannot save the frame to %s\n", command.path.c_str());
        } else if (command.kind == ScriptCommand::Burst) {
            r.burstLeft = (size_t)command.amount;
        } else {
            bool inBurst = r.burstLeft > 0;
            if (!inBurst && r.delivered && r.deliveredAtFrame == frames)
                return;  // one arrival per presented frame
            if (!focusWindow())
                return;  // nobody to receive it yet
            deliver(command);
            r.delivered = true;
            r.deliveredAtFrame = frames;
            if (inBurst)
                --r.burstLeft;
            ++r.next;
            if (inBurst && r.burstLeft > 0)
                continue;
            return;
        }
        ++r.next;
    }
}

// While the program blocks in GetMessageA no frame is presented, so only a
// pending time wait can still bring input.
bool headlessWait(int milliseconds) {
    ScriptRun &r = run();
    if (r.failed)
        return focusWindow() != nullptr;
    if (r.next >= r.commands.size() || r.commands[r.next].kind != ScriptCommand::Seconds)
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
}

}  // namespace

const Presenter headlessPresenter = {"headless",   headlessOpen, headlessDesktopSize,
                                     headlessShow, headlessPump, headlessWait};

void setScript(const std::string &text) {
    loadScriptText(text);
}

}  // namespace standin
