// Writes the fuzzers' seed files: seed_corpus SPRITE_DIR LIBRARY_DIR
#include "tests/vornak/support/sample_records.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: seed_corpus SPRITE_DIR LIBRARY_DIR\n");
        return 2;
    }
    return writeSeedCorpus(argv[1], argv[2]) ? 0 : 1;
}
