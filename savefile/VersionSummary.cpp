#include "savefile/VersionSummary.h"

#include "savefile/DetailText.h"
#include "savefile/VersionText.h"

namespace quelvane {

namespace {

constexpr std::int32_t kRiscHeaderSize = 4096;
constexpr std::uint8_t kSavobj = 1;
// A save of the integrated file system (SAV): directories and stream files, no library.
constexpr std::uint8_t kSav = 0x14;
// The machine line and the save-command line.
constexpr std::ptrdiff_t kCommandLines = 2;
constexpr char kRule[] = "---------------------------------------------------------------------";

std::string commandLine(std::uint8_t saveCommand) {
    switch (saveCommand) {
        case kSavobj:
            return "Using SAVOBJ Command!";
        case kSav:
            return "Using SAV Command: directories and stream files of the integrated file system.";
        default:
            return "Using SAVLIB Command!";
    }
}

}  // namespace

std::vector<std::string> saveHeaderLines(const SaveFileHeader& header) {
    std::vector<std::string> lines;
    if (!header.systemText.empty()) {
        lines.push_back("This SAVF created on IBM AS/400 " + header.systemText +
                        (header.headerSize == kRiscHeaderSize ? " RISC machine." : " CISC machine."));
        lines.push_back(commandLine(header.saveCommand));
        if (!header.dataStorage.empty()) {
            lines.push_back("Data: " + header.dataStorage + ".");
        }
        lines.insert(lines.end(), header.damageNotes.begin(), header.damageNotes.end());
        for (std::string& line : saveDetailLines(header.details)) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::vector<std::string> saveSummaryLines(const SaveFileHeader& header) {
    std::vector<std::string> lines = saveHeaderLines(header);
    if (!lines.empty()) {
        // What else is known of the save follows the first three lines, which stay as they are.
        lines.insert(lines.begin() + kCommandLines, "-");
    }
    lines.insert(lines.end(),
                 {
                     kRule,
                     VersionText(),
                     " ",
                     " ",
                     "Quelvane Updates: ",
                     " ",
                     "V2.41 - List records number in Physical Files",
                     "V2.40 - Compatible with Vista",
                     "        Automatic set View Window in difference Language,and Fonts! ",
                     "V2.30 - Add functions for RISC Machine:",
                     "        Retrieve the values from Data Area.",
                     "        Retrieve the source from the CLP program which compiled with RTVSRC allowed.",
                     "V2.20 - add  nation Languages checking.",
                     "V1.40 - Pick Out to txt doc xls files.",
                     "v1.00 - Original",
                     kRule,
                 });
    return lines;
}

}  // namespace quelvane
