#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "savefile/ParseReport.h"

namespace quelvane {

class BigEndianReader;
class BlockFile;
class ExpandedBlockSource;

// Opens a save file, checks that it is one, walks its chain of segment headers into the segment
// table, builds the part list from the save/restore descriptors met on the way, and has every
// part's object directory, object descriptions and member areas read into the catalog.
class SaveFileReader {
  public:
    static constexpr std::int32_t kMaxParts = 1000;

    SaveFileReader(Catalog& catalog, EbcdicTextConverter& converter, Notifier& notifier)
        : catalog_(catalog), converter_(converter), notifier_(notifier) {}

    // Where and why the parse stopped; not accepted when the file is rejected (after telling the
    // user). The caller resets the segment table's fill count before, as the open command does.
    ParseReport parseSaveFile(const std::string& path);

    // The same over bytes from any source; `path` names the file in the rejection message.
    ParseReport parseSaveFile(const std::string& path, BlockSource& source);

    // Bytes taken from the file by the last parse.
    std::uint64_t bytesRead() const { return bytesRead_; }

    // Where and why the last parse stopped.
    const ParseReport& report() const { return report_; }

  private:
    void setStop(ParseReport::Stop stop, std::int64_t block) {
        report_.stop = stop;
        report_.block = block;
    }

    struct FoundPart {
        std::string libraryName;
        std::int32_t descriptorOffset = 0;
        std::int32_t libraryBlock = 0;
        std::int32_t objectCount = 0;
    };

    // The header fields a parse starts without; the others stay as an earlier file left them.
    void clearHeader();
    // The header fields from block 0; true when both block counts agree with the file size.
    bool readHeader(BlockSource& source);
    // The validation step: true to go on reading, from `repaired` when that was set.
    bool acceptHeader(const std::string& path, BlockSource& raw, std::unique_ptr<BlockSource>& repaired);
    void reject(const std::string& path, const std::string& reason);
    // Follows the chain of segment headers from the first block after the file header, filling
    // the segment table and finding each save/restore descriptor's library.
    std::vector<FoundPart> walkSegments(BlockFile& file);
    // At the segment header held: reads its descriptor block and, for a save/restore
    // descriptor, the library it names. False when the walk ends here.
    bool readDescriptor(BlockFile& file, std::int64_t examined, std::vector<FoundPart>& found);
    // Reads on to the header after the segment whose data starts at block `sequence`; true when
    // it is there.
    static bool readToNextHeader(BlockFile& file, std::int32_t sequence, std::int32_t length);
    void readLibraryDescriptor(const BigEndianReader& library, std::int32_t offset,
                               std::vector<FoundPart>& found);
    void fillParts(const std::vector<FoundPart>& found);
    // The oldest layout records no release: the summary gives the objects' releases instead.
    void collectObjectReleases();
    void reportExpansionFailures(const ExpandedBlockSource& expanded);

    Catalog& catalog_;
    EbcdicTextConverter& converter_;
    Notifier& notifier_;
    std::uint64_t bytesRead_ = 0;
    ParseReport report_;
};

}  // namespace quelvane
