// make_world DIR: writes the sample world below DIR (see world_layout.h).
#include <cstdio>

#include "tools/world_files.h"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_world DIR\n");
        return 2;
    }
    if (!world::writeWorld(argv[1])) {
        std::fprintf(stderr, "make_world: cannot write the world below %s\n", argv[1]);
        return 1;
    }
    return 0;
}
