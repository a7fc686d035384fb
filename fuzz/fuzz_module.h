// The module's loaders through their exports, as any caller uses them.
#ifndef FUZZ_FUZZ_MODULE_H
#define FUZZ_FUZZ_MODULE_H

#include "fuzz/fuzz_files.h"
#include "vornak/module_heap.h"
#include "vornak/vornak.h"

// Loads path; a record that loaded must save, to saved. Either way the
// module's memory is then given back, as an unload would: a successful load
// keeps it until then, so without this a long run grows with every success.
template <typename Record>
bool loadAndSave(const std::string &path, const std::string &saved, bool (*load)(Record *, const char *),
                 bool (*save)(const Record *, const char *)) {
    Record record{};
    const bool loaded = load(&record, path.c_str());
    if (loaded && !save(&record, saved.c_str()))
        fail("a loaded record did not save");
    g_moduleHeap.releaseAll();
    return loaded;
}

#endif
