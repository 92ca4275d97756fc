#pragma once

#include <functional>
#include <memory>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "savefile/NestedSave.h"
#include "savefile/ParseReport.h"
#include "savefile/ProgressReporter.h"
#include "views/ViewSession.h"

namespace quelvane {

// A save as the window, the command-line tool and the WebAssembly bridge open it: the bytes it
// is stored in (a file on disk, a browser's file, or a save held by a save-file object of
// another save), its catalog read afresh (an empty segment table each time), and the sources
// the views read: the stored bytes on the repaired grid where the parse read past damage, and
// a compressed save in its expanded form. A held save is one more step over the repaired bytes
// of the save that holds it, down to the file.
class OpenedSave {
  public:
    // Opens the stored bytes of the save anew; called once for the parse and again for every
    // view, export and held save read later, from any thread.
    using StoredOpener = std::function<std::unique_ptr<BlockSource>()>;

    enum class Outcome {
        Opened,
        CannotOpen,   // the bytes could not be had
        NotSaveFile,  // the parse rejected them; the report says why
        Cancelled,    // `progress` asked to stop; the catalog is left empty
    };

    // Reads the save `stored` opens into a fresh catalog whose path is `path` (also the name
    // messages give it). An IFS save's entry tree is built here, once. `progress`, when given,
    // hears how far into the stored bytes the parse has read and may stop it at any read.
    Outcome open(StoredOpener stored, const std::string& path, EbcdicTextConverter& converter,
                 Notifier& notifier, ProgressReporter* progress = nullptr);

    // Where the save held by the save-file object at `ref` lies, or why it cannot be had.
    NestedSave locateHeld(ObjectRef ref) const;

    // The stored bytes of a held save `where` (a Found location from locateHeld).
    StoredOpener heldOpener(const NestedSave& where) const;

    // Reads the held save at `where` in place of this one, keeping the catalog's path; messages
    // call it `shown`.
    Outcome descend(const NestedSave& where, const std::string& shown, EbcdicTextConverter& converter,
                    Notifier& notifier);

    // The save as stored (what the block-grid check examines); null before an open.
    std::unique_ptr<BlockSource> openStored() const;
    // The save as its readers read it: repaired, expanded.
    std::unique_ptr<BlockSource> openReadable() const;
    // The stored bytes for ViewSession::openSource, which ignores the path it is given.
    ViewSession::SourceOpener sourceOpener() const;

    // `stored` on the repaired grid of `catalog`, expanded when it was written compressed.
    static std::unique_ptr<BlockSource> readable(std::unique_ptr<BlockSource> stored, const Catalog& catalog);

    Catalog& catalog() { return catalog_; }
    const Catalog& catalog() const { return catalog_; }
    // Where and why the last parse stopped (also for a rejected save).
    const ParseReport& report() const { return report_; }

  private:
    Outcome read(StoredOpener stored, const std::string& path, const std::string& shown,
                 EbcdicTextConverter& converter, Notifier& notifier, ProgressReporter* progress = nullptr);

    StoredOpener stored_;
    Catalog catalog_;
    ParseReport report_;
};

}  // namespace quelvane
