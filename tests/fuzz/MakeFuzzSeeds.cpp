#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/SaveFileBuilder.h"
#include "tests/support/SaveFileCompressor.h"

// Writes small built save files as fuzz seeds into the folder named on the command line.
int main(int argc, char** argv) {
    using namespace quelvane::test;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);

    BuiltObject source;
    source.name = "QCLSRC";
    source.attribute = "PF";
    source.text = "CL source";
    source.fields = {{"SRCSEQ", 0x0003, 6, 6, 2}, {"SRCDATE", 0x0003, 6, 6}, {"SRCDTA", 0x0004, 80}};
    source.members = {{"START", "CLP", "Start it", 12, 640}, {"STOP", "CLP", "Stop it", 3, 656}};
    BuiltObject data;
    data.name = "ORDERS";
    data.attribute = "PF";
    data.fields = {{"WHEN", 0x0D03, 10}, {"AT", 0x0B03, 4}, {"QTY", 0x0002, 4, 9}};
    data.members = {{"ORDERS", "", "", 5, 0}};
    BuiltObject program;
    program.name = "PGM";
    program.typeCode = 0x0201;
    program.attribute = "CLP";

    for (int variant = 0; variant < 4; ++variant) {
        SaveFileBuilder builder;
        builder.headerSize = variant % 2 == 0 ? 512 : 4096;
        BuiltPart part;
        part.library = "FUZZLIB";
        part.sysbas = variant >= 2;
        part.saveCommand = static_cast<std::uint8_t>(variant == 3);
        part.descriptorOffset = variant == 1 ? 1024 : 256;
        part.objects = {source, data, program};
        builder.add(part);
        builder.add(BuiltSegment{"QCLSRC    START", 24, true, {}});
        builder.add(BuiltSegment{"ORDERS    ORDERS", 24, true, {}});
        if (variant == 2) {
            BuiltPart second = part;
            second.library = "SECOND";
            builder.add(second);
        }
        std::string name = (folder / ("built" + std::to_string(variant) + ".savf")).string();
        builder.build().writeTo(name);

        // The same save as data compression writes it, in each coding the expansion reads.
        SaveFileCompressor compressor;
        compressor.coding = static_cast<SaveFileCompressor::Coding>(variant % 3);
        compressor.padToBoundary = variant == 1;
        compressor.keepFirstStored = variant != 2;
        std::vector<std::uint8_t> compressed = compressor.compress(builder.build().bytes());
        std::string codedName = (folder / ("coded" + std::to_string(variant) + ".savf")).string();
        if (std::FILE* out = std::fopen(codedName.c_str(), "wb")) {
            std::fwrite(compressed.data(), 1, compressed.size(), out);
            std::fclose(out);
        }
    }
    return 0;
}
