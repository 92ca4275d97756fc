#include <cstdio>
#include <filesystem>
#include <string>

#include <fstream>

#include "tests/support/HostileSaves.h"
#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/SaveFileCompressor.h"

namespace {

using namespace quelvane::test;

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A save of the integrated file system, and a library save holding a save file that holds one.
void writeHeldSeeds(const std::filesystem::path& folder) {
    IfsImage ifs = sampleImage("/site", {{"index.html", false, 11, kDataA}, {"sub", true, 0, {}}});
    ifs.data(kDataA, "<html>.</ht", 4096);
    writeBytes(folder / "ifs.savf", ifs.complete());

    SaveFileBuilder inner;
    inner.headerSize = 4096;
    BuiltPart innerPart;
    innerPart.library = "INNER";
    BuiltObject program;
    program.name = "PGM";
    program.typeCode = 0x0201;
    program.attribute = "CLP";
    innerPart.objects = {program};
    inner.add(innerPart);
    Bytes innerBytes = inner.build().bytes();
    Bytes bodies;
    for (std::size_t at = 0; at + kIfsBlock <= innerBytes.size(); at += kIfsBlock) {
        bodies.insert(bodies.end(), innerBytes.begin() + static_cast<std::ptrdiff_t>(at),
                      innerBytes.begin() + static_cast<std::ptrdiff_t>(at + 512));
    }
    auto blocks = static_cast<std::uint32_t>(innerBytes.size() / kIfsBlock);
    SaveFileBuilder outer;
    outer.headerSize = 4096;
    BuiltPart part;
    BuiltObject held;
    held.name = "HELD";
    held.attribute = "SAVF";
    part.objects = {held};
    outer.add(part);
    Bytes counts(8, 0);
    SaveFileBuilder::putU32(counts, 0, blocks);
    SaveFileBuilder::putU32(counts, 4, blocks);
    outer.add(BuiltSegment{"HELD      QGPL      01",
                           static_cast<std::int32_t>(blocks) + 32,
                           true,
                           {{9, 0, counts}, {24, 0, bodies}}});
    writeBytes(folder / "held.savf", outer.build().bytes());
}

}  // namespace

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
    writeHeldSeeds(folder);

    // Counts that claim far more than the file holds.
    HostileSaves::zeroLengthFields(400).build().writeTo((folder / "claimed-fields.savf").string());
    HostileSaves::claimedObjects(200, 2000).build().writeTo((folder / "claimed-objects.savf").string());
    HostileSaves::claimedMembers(12, 12000).build().writeTo((folder / "claimed-members.savf").string());
    HostileSaves::claimedMembers(12, 12000, true).build().writeTo((folder / "unnamed-members.savf").string());
    const std::vector<std::uint8_t> inflated = HostileSaves::inflatedStreamSegment(0x00200000);
    if (std::FILE* out = std::fopen((folder / "inflated-segment.savf").string().c_str(), "wb")) {
        std::fwrite(inflated.data(), 1, inflated.size(), out);
        std::fclose(out);
    }
    return 0;
}
