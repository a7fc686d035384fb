// The module's own heap. Every array, name buffer, record and block that a
// load hands out stays valid until the module is unloaded; the static heap
// object's destructor then frees all of it.
//
// A load allocates through its own LoadArena: a list of malloc'd chunks that
// the arena frees when it is destroyed, unless the load succeeded and kept
// them, which moves them to g_moduleHeap. Loads on different threads
// therefore never see each other's chunks.
#ifndef VORNAK_MODULE_HEAP_H
#define VORNAK_MODULE_HEAP_H

#include <cstddef>
#include <mutex>

struct ModuleHeapChunk;

struct ModuleHeapStats {
    size_t chunkCount;        // chunks kept by successful loads
    size_t bytesHeld;         // their payload bytes, headers not counted
    size_t largestLoadBytes;  // most bytes one load asked for, kept or not, since resetLargestLoad
};

class ModuleHeap {
public:
    ModuleHeap() = default;
    ~ModuleHeap();
    ModuleHeap(const ModuleHeap &) = delete;
    ModuleHeap &operator=(const ModuleHeap &) = delete;

    ModuleHeapStats stats();
    void resetLargestLoad();
    void releaseAll();

private:
    friend class LoadArena;
    void keep(ModuleHeapChunk *newest, ModuleHeapChunk *oldest, size_t chunks, size_t bytes);
    void noteLoad(size_t bytes);

    std::mutex mutex_;
    ModuleHeapChunk *newest_ = nullptr;
    ModuleHeapStats stats_{};
};

extern ModuleHeap g_moduleHeap;

class LoadArena {
public:
    LoadArena() = default;
    ~LoadArena();
    LoadArena(const LoadArena &) = delete;
    LoadArena &operator=(const LoadArena &) = delete;

    // Uninitialised memory aligned for any type; null when bytes is 0 or
    // the system has none to give.
    void *allocate(size_t bytes);

    // Hands every chunk to g_moduleHeap, to live until the module unloads.
    void keep();

private:
    ModuleHeapChunk *newest_ = nullptr;
    ModuleHeapChunk *oldest_ = nullptr;
    size_t chunks_ = 0;
    size_t bytes_ = 0;
    size_t requested_ = 0;  // also counts requests that failed
};

#endif
