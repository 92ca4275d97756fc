#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BlockFile.h"
#include "savefile/Catalog.h"
#include "savefile/EntryBudget.h"

namespace quelvane {

// Reads every part's object directory (151-byte entries after the library descriptor) and each
// object's description (text and attribute), and has the member area of each object read.
class ObjectDirectoryReader {
  public:
    static constexpr std::int32_t kMaxObjects = 2000;
    static constexpr std::int64_t kEntryWidth = 151;

    // Every entry decoded, here and in the member areas, is taken from `budget`.
    ObjectDirectoryReader(Catalog& catalog, EbcdicTextConverter& converter, Notifier& notifier,
                          BlockFile& file, EntryBudget& budget)
        : catalog_(catalog), converter_(converter), notifier_(notifier), file_(file), budget_(budget) {}

    // A failure while reading a part's directory ends the reading of all directories; one while
    // reading a description or a member area ends all further reading from the file. The first
    // such failure is kept in stopReason.
    void readObjectDirectory();

    // Where and why reading from the file ended early; empty while it did not.
    const std::string& stopReason() const { return stopReason_; }

    // Fills `text` and `attribute`; raises DecodingFailure when a length leads outside the
    // description even when read as far as 64 KiB, or past the end of the file.
    void readObjectDescription(std::size_t part, std::size_t object);

  private:
    void decodeDescription(const std::vector<std::uint8_t>& collected, SavedObject& object);
    void readPartDirectory(std::size_t part);
    void stopReading(const std::string& where, const std::string& why);

    Catalog& catalog_;
    EbcdicTextConverter& converter_;
    Notifier& notifier_;
    BlockFile& file_;
    EntryBudget& budget_;
    std::string stopReason_;
};

}  // namespace quelvane
