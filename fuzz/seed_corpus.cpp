// Writes the fuzzers' seed files: seed_corpus SPRITE_DIR LIBRARY_DIR
#include "tests/vornak/support/sample_records.h"
#include "tools/command_line/command_line.h"

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "seed_corpus", "Writes the fuzzers' seed files: sprite files and sprite library files.");
    std::string spriteDir, libraryDir;
    app.add_option("SPRITE_DIR", spriteDir, "Folder for the sprite file seeds")->required();
    app.add_option("LIBRARY_DIR", libraryDir, "Folder for the sprite library file seeds")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    return writeSeedCorpus(spriteDir, libraryDir) ? 0 : 1;
}
