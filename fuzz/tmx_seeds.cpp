// Seeds for fuzz_read_tmx: small maps in each tile encoding, with objects,
// properties and layer offsets, over the tilesets the fuzz target writes.
#include "tests/cli/tmx_encoding.h"
#include "tools/command_line/command_line.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string map(const std::string &data, const std::string &properties) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="isometric" width="3" height="2" tilewidth="40" tileheight="20" infinite="0">
 <properties>)" +
           properties +
           R"(</properties>
 <tileset firstgid="1" source="s.tsx"/>
 <tileset firstgid="2" source="f.tsx"/>
 <layer id="1" name="tiles" width="3" height="2">
  <properties><property name="attributes" value="00ff10203040"/></properties>
  )" + data +
           R"(
 </layer>
 <group offsetx="4" offsety="-2"><objectgroup draworder="index" offsety="20">
  <object id="1" gid="1" x="30" y="10.5" width="40" height="20">
   <properties><property name="order" type="int" value="1"/><property name="extentX" type="int" value="-2"/>
   <property name="mapX" type="int" value="1"/><property name="mapY" type="int" value="1"/></properties>
  </object>
  <object id="2" gid="1" x="-1e6" y="42949672970"/>
 </objectgroup></group>
</map>
)";
}

}  // namespace

int main(int argc, char **argv) {
    CLI::App app;
    describeProgram(app, "tmx_seeds", "Writes the seeds of the TMX fuzzer: small maps in each tile encoding.");
    std::string folder;
    app.add_option("DIR", folder, "Folder for the seeds")->required();
    if (int status = parseCommandLine(app, argc, argv); status >= 0)
        return status;
    const std::filesystem::path dir = folder;
    std::filesystem::create_directories(dir);
    std::vector<uint8_t> raw, odd;  // every tile a sprite's; some not (a foreign tileset's, none, flipped)
    for (uint32_t gid : {1u, 1u, 1u, 1u, 1u, 1u})
        raw.insert(raw.end(), {uint8_t(gid), uint8_t(gid >> 8), uint8_t(gid >> 16), uint8_t(gid >> 24)});
    for (uint32_t gid : {1u, 1u, 2u, 1u, 0u, 0x80000001u})
        odd.insert(odd.end(), {uint8_t(gid), uint8_t(gid >> 8), uint8_t(gid >> 16), uint8_t(gid >> 24)});
    const std::string tag = R"(<property name="mapTag" type="int" value="-7"/>)";
    const std::string seeds[] = {
        map(R"(<data encoding="csv">
1,1,1,
1,1,1
</data>)",
            tag),
        map("<data encoding=\"base64\">" + base64(raw) + "</data>", tag),
        map("<data encoding=\"base64\" compression=\"zlib\">" + base64(deflated(raw, 15)) + "</data>", ""),
        map("<data encoding=\"base64\" compression=\"gzip\">" + base64(deflated(raw, 31)) + "</data>",
            R"(<property name="sizeY" type="int" value="-3"/>)"),
        map("<data encoding=\"base64\" compression=\"zlib\">" + base64(deflated(odd, 15)) + "</data>",
            R"(<property name="sizeY" type="int" value="-3"/>)"),
        map(R"(<data><tile gid="1"/><tile gid="1"/><tile gid="1"/><tile gid="1"/><tile gid="1"/><tile gid="1"/></data>)",
            R"(<property name="objectCount" type="int" value="-1"/>)"),
    };
    for (size_t i = 0; i < std::size(seeds); ++i)
        std::ofstream(dir / ("seed-" + std::to_string(i) + ".tmx"), std::ios::binary) << seeds[i];
    return 0;
}
