// make_world DIR: writes the sample world below DIR (see world_layout.h).
#include <cstdio>

#include "tools/command_line/command_line.h"
#include "tools/world_files.h"

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "make_world", "Writes the sample world: DIR/sprites/test.lspr and DIR/maps/test.map.");
    std::string dir;
    app.add_option("DIR", dir, "Folder to write into; made when missing")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    if (!world::writeWorld(dir)) {
        std::fprintf(stderr, "make_world: cannot write the world below %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
