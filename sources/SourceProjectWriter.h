#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "conversion/PcTextToUtf8.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"
#include "savefile/OutputFolder.h"
#include "savefile/ProgressReporter.h"
#include "sources/SourceManifest.h"
#include "views/FieldTextByCcsid.h"
#include "views/MemoryContentList.h"
#include "views/ViewSession.h"

namespace quelvane {

struct SourceProjectOptions {
    // Whether a file already in the folder may be replaced (--force, or a git repository, whose
    // history holds what it was).
    bool replaceExisting = false;
    // Keep every line's sequence number and date in members.json.
    bool withLineDates = false;
    // Files written earlier in the same run (paths below the project folder), which a later save
    // replaces without asking.
    const std::set<std::string>* writtenBefore = nullptr;
    // Names a library folder may not take at the top of the project (other libraries' folders).
    std::vector<std::string> reservedAtRoot;
};

// What one library of one save gave.
struct SourceLibraryOutcome {
    std::string library;
    // Below the project folder; empty for the project folder itself.
    std::string folder;
    // Every file written, below the project folder, in the order written.
    std::vector<std::string> files;
    // Files of members that could not be written this time: an earlier version stays.
    std::vector<std::string> kept;
    std::int64_t members = 0;
};

struct SourceProjectOutcome {
    std::vector<SourceLibraryOutcome> libraries;
    // Members and files not written, each with its reason.
    std::vector<std::string> failures;
    std::vector<std::string> notes;
    std::int64_t filesReplaced = 0;
    bool cancelled = false;
};

// Writes the source of an opened save as the editing and build tools for IBM i keep it in a
// folder: per library, one folder per source physical file in lower case, one UTF-8 stream file
// per member (member.type in lower case, .mbr without a type) with LF line ends and no trailing
// blanks, a .ibmi.json per folder with the file's CCSID, iproj.json, and .quelvane/members.json
// with what the stream files do not hold. CL programs compiled with source retrieval give
// qclsrc/PROGRAM.clp where QCLSRC holds no member of that name. Each file is written whole or not
// at all, below the chosen folder only and never through a link.
class SourceProjectWriter {
  public:
    // The folder (below the project folder, "" for itself) a library's files go to.
    using FolderOf = std::function<std::string(const std::string& libraryUtf8)>;

    SourceProjectWriter(const Catalog& catalog, EbcdicTextConverter& converter, std::int32_t pcCodePage,
                        std::int32_t hostPage);
    ~SourceProjectWriter();

    // Reads the save through `opener` rather than from the file the catalog names.
    void readThrough(ViewSession::SourceOpener opener) { session_.openSource = std::move(opener); }

    SourceProjectOutcome write(const OutputFolder& root, const FolderOf& folderOf,
                               const SourceProjectOptions& options, ProgressReporter& progress);

    // The names of the libraries of the save, UTF-8, each once, in catalog order.
    static std::vector<std::string> libraries(const Catalog& catalog, std::int32_t pcCodePage);

    // The source members of the save: the progress total.
    static std::int64_t memberTotal(const Catalog& catalog);

  private:
    struct Folder;
    struct Library;

    void planFolders(Library& library);
    void writeFolder(Library& library, Folder& folder);
    void writeMember(Library& library, Folder& folder, std::size_t index);
    void writeProgram(Library& library, Folder& folder, std::size_t index);
    void writeLibraryFiles(Library& library);
    // Whether `relative` may be written: false, with the failure recorded, for a file already
    // there that may not be replaced.
    bool mayWrite(const std::string& relative);
    bool writeText(Library& library, const std::string& relative, const std::string& text);
    std::string utf8(const std::string& pcText) { return utf8_.toUtf8(pcText); }

    const Catalog& catalog_;
    SilentNotifier notifier_;
    MemoryContentList list_;
    ViewSession session_;
    PcTextToUtf8 utf8_;
    std::int32_t pcCodePage_;
    FieldTextByCcsid byCcsid_;
    CatalogTexts texts_;
    std::atomic<std::int64_t> bytesWritten_{0};

    // One run's state.
    const OutputFolder* root_ = nullptr;
    const SourceProjectOptions* options_ = nullptr;
    ProgressReporter* progress_ = nullptr;
    SourceProjectOutcome outcome_;
    std::int64_t membersDone_ = 0;
    std::int64_t memberTotal_ = 0;
};

}  // namespace quelvane
