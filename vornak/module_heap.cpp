#include "vornak/module_heap.h"

#include <cstdint>
#include <cstdlib>

struct alignas(alignof(std::max_align_t)) ModuleHeapChunk {
    ModuleHeapChunk *previous;
};

namespace {

void freeChunks(ModuleHeapChunk *newest) {
    while (newest) {
        ModuleHeapChunk *previous = newest->previous;
        std::free(newest);
        newest = previous;
    }
}

}  // namespace

ModuleHeap g_moduleHeap;

ModuleHeap::~ModuleHeap() {
    freeChunks(newest_);
}

ModuleHeapStats ModuleHeap::stats() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

void ModuleHeap::resetLargestLoad() {
    std::lock_guard<std::mutex> lock(mutex_);
    stats_.largestLoadBytes = 0;
}

void ModuleHeap::releaseAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    freeChunks(newest_);
    newest_ = nullptr;
    stats_.chunkCount = 0;
    stats_.bytesHeld = 0;
}

void ModuleHeap::keep(ModuleHeapChunk *newest, ModuleHeapChunk *oldest, size_t chunks, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    oldest->previous = newest_;
    newest_ = newest;
    stats_.chunkCount += chunks;
    stats_.bytesHeld += bytes;
}

void ModuleHeap::noteLoad(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (bytes > stats_.largestLoadBytes)
        stats_.largestLoadBytes = bytes;
}

LoadArena::~LoadArena() {
    if (requested_)
        g_moduleHeap.noteLoad(requested_);
    freeChunks(newest_);
}

void *LoadArena::allocate(size_t bytes) {
    requested_ = bytes > SIZE_MAX - requested_ ? SIZE_MAX : requested_ + bytes;
    if (bytes == 0 || bytes > SIZE_MAX - sizeof(ModuleHeapChunk))
        return nullptr;
    auto *chunk = static_cast<ModuleHeapChunk *>(std::malloc(sizeof(ModuleHeapChunk) + bytes));
    if (!chunk)
        return nullptr;
    chunk->previous = newest_;
    newest_ = chunk;
    if (!oldest_)
        oldest_ = chunk;
    chunks_ += 1;
    bytes_ += bytes;
    return chunk + 1;
}

void LoadArena::keep() {
    if (requested_)
        g_moduleHeap.noteLoad(requested_);
    if (newest_)
        g_moduleHeap.keep(newest_, oldest_, chunks_, bytes_);
    newest_ = oldest_ = nullptr;
    chunks_ = bytes_ = requested_ = 0;
}
