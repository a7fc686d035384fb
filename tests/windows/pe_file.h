// What the Windows binaries show to the loader, read from the file itself:
// the subsystem, the names of the DLLs imported, and the export table.
//
// A PE32+ (x86-64) image only. Every offset and count is checked against the
// file before it is followed; a damaged file gives false and a message.
#ifndef TESTS_WINDOWS_PE_FILE_H
#define TESTS_WINDOWS_PE_FILE_H

#include <cstdint>
#include <string>
#include <vector>

struct PeExport {
    std::string name;
    uint32_t ordinal = 0;  // the ordinal base already added
};

struct PeFile {
    uint16_t subsystem = 0;                 // 2: Windows GUI, 3: console
    std::vector<std::string> importedDlls;  // as written in the file
    uint32_t exportedFunctionCount = 0;     // entries of the export address table
    std::vector<PeExport> exports;          // the named ones
};

bool readPeFile(const std::vector<uint8_t> &bytes, PeFile &pe, std::string &error);

#endif
