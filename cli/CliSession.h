#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "conversion/Notifier.h"
#include "conversion/PcPageCodec.h"
#include "conversion/PcTextToUtf8.h"
#include "savefile/Catalog.h"
#include "savefile/FileBlockSource.h"
#include "savefile/NestedSave.h"
#include "savefile/ParseReport.h"
#include "views/OpenedSave.h"
#include "views/ViewSession.h"

namespace quelvane::cli {

// What every command that reads a save file shares: the code-page options, the conversion layer
// bound beside the program, the opened catalog and the text output.
class CliSession {
  public:
    CliSession();
    ~CliSession();

    // Takes --ebcdic CP, --pc CP, --ccsid stored|pair, --raw and every --inner NODE out of
    // `arguments`, leaving the rest in order.
    // Returns false (after saying why on stderr) for a malformed option.
    bool takeOptions(std::vector<std::string>& arguments);

    // Binds the conversion modules and sets the code-page pair: the options, else the settings
    // file beside the program, else 37 and 1252. False (after a message) when binding fails.
    bool startConversion();

    // The open command's reading of a file: a new segment table fill, then the parse; then, for
    // each --inner NODE in order, the save held by that save-file object is read in its place.
    // Returns an exit status: success, kExitUsage when the file cannot be opened or a NODE names
    // nothing, kExitNotSaveFile when a save is rejected or a held save cannot be had (the reason
    // is on stderr).
    int openSaveFile(const std::string& path);

    // A fresh source over the save the catalog was read from (the inner one after --inner), for
    // the views, which open the save anew for every display.
    ViewSession::SourceOpener sourceOpener() const { return opened_.sourceOpener(); }
    std::unique_ptr<BlockSource> openSource() const { return opened_.openStored(); }
    // The same as its readers read it: repaired, and expanded when the save was written with data
    // compression.
    std::unique_ptr<BlockSource> openExpandedSource() const { return opened_.openReadable(); }

    // The start every reading command shares: the options taken out of `arguments` (the operands
    // are left there), between `fewest` and `most` operands (else `usage` on stderr), the
    // conversion started and the file named by the first operand opened. Returns an exit status.
    int start(std::vector<std::string>& arguments, std::size_t fewest, std::size_t most, const char* usage);

    // Writes one line of PC-code-page text: as UTF-8, or unchanged with --raw.
    void writeLine(const std::string& text);

    // Writes one line that is UTF-8 already (paths of the integrated file system), unchanged.
    void writeUtf8Line(const std::string& text);

    // Writes one line of UTF-8 text read by stored CCSID: unchanged, or with --raw in the PC
    // code page, each character the page lacks as its substitution character, as the exports
    // write such text.
    void writeUnicodeLine(const std::string& text);

    // Whether field texts are read by their stored CCSIDs: as --ccsid says, else `byDefault`
    // (extract and --json outputs read by CCSID, the window's listings by the pair).
    bool byStoredCcsid(bool byDefault) const { return storedCcsidOption_.value_or(byDefault); }

    Catalog& catalog() { return opened_.catalog(); }
    const OpenedSave& opened() const { return opened_; }
    Notifier& notifier() { return *notifier_; }
    ConversionLayer& conversion() { return *conversion_; }
    // Where and why the parse of the opened file stopped.
    const ParseReport& parseReport() const { return opened_.report(); }

  private:
    int openInner(const std::string& node);

    std::optional<std::int32_t> ebcdicOption_;
    std::optional<std::int32_t> pcOption_;
    std::optional<bool> storedCcsidOption_;
    bool raw_ = false;
    std::vector<std::string> innerNodes_;
    std::unique_ptr<Notifier> notifier_;
    std::unique_ptr<ConversionLayer> conversion_;
    std::unique_ptr<PcTextToUtf8> utf8_;
    std::unique_ptr<PcPageCodec> pcPage_;
    OpenedSave opened_;
};

// False, after saying on stderr why, when `source` over `path` could not be opened (a folder, a
// FIFO or another file that is not a regular file or a block device among the reasons).
bool openedOrSaid(const std::string& path, const FileBlockSource& source);

}  // namespace quelvane::cli
