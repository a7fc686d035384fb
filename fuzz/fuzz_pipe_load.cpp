// Both loaders on the input through a pipe, named /dev/fd/N, against the same
// input as a regular file: a source of unknown size must give the same result.
#include "fuzz/fuzz_module.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

template <typename Record>
void compareWithFile(const uint8_t *data, size_t size, const std::string &input, bool (*load)(Record *, const char *),
                     bool (*save)(const Record *, const char *)) {
    static const std::string fromFile = scratchFile("from-file"), fromPipe = scratchFile("from-pipe");
    const bool fileLoaded = loadAndSave(input, fromFile, load, save);
    int ends[2];
    if (pipe(ends) != 0)
        fail("no pipe could be made");
    // Writing ends when the input is written or the loader has closed the
    // pipe (the write then fails: SIGPIPE is ignored).
    const auto writeInput = [&] {
        for (size_t done = 0; done < size;) {
            const ssize_t wrote = write(ends[1], data + done, size - done);
            if (wrote <= 0)
                break;
            done += size_t(wrote);
        }
        close(ends[1]);
    };
    // An input the pipe can hold (raised up to 1 MiB) is written before the
    // load; only a larger one gets a writer thread. The sanitizers' run time
    // keeps some memory for every thread ever made, so a thread per input
    // grows a long run.
    int capacity = fcntl(ends[1], F_GETPIPE_SZ);
    if (capacity > 0 && size > size_t(capacity))
        capacity = fcntl(ends[1], F_SETPIPE_SZ, int(std::min<size_t>(size, 1 << 20)));
    std::thread writer;
    if (capacity > 0 && size <= size_t(capacity))
        writeInput();
    else
        writer = std::thread(writeInput);
    const bool pipeLoaded = loadAndSave("/dev/fd/" + std::to_string(ends[0]), fromPipe, load, save);
    close(ends[0]);
    if (writer.joinable())
        writer.join();
    if (pipeLoaded != fileLoaded)
        fail("a pipe and a file with the same bytes load differently");
    if (pipeLoaded && readBytes(fromPipe) != readBytes(fromFile))
        fail("a pipe and a file with the same bytes save back differently");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::signal(SIGPIPE, SIG_IGN);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string input = scratchFile("input");
    writeBytes(input, data, size);
    compareWithFile(data, size, input, LoadSprite, SaveSprite);
    compareWithFile(data, size, input, LoadSpriteLibrary, SaveSpriteLibrary);
    return 0;
}
