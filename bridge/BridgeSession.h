#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/SuggestedPair.h"
#include "compare/ComparedSide.h"
#include "conversion/InProcessTextConverter.h"
#include "conversion/Notifier.h"
#include "conversion/PcTextToUtf8.h"
#include "savefile/ProgressReporter.h"
#include "views/MemberSlotPass.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/ObjectBytesPages.h"
#include "views/OpenedSave.h"
#include "views/RecordRows.h"
#include "views/ViewSession.h"

namespace quelvane {

// One save opened for a page that asks and renders: every answer is a JSON object in UTF-8 with
// the core's own texts, and every failure the core raises comes back as such an object with its
// message, never as an abort. Output files (exports, batches, extractions) are written below a
// folder the caller names and listed in the answer, for the caller to take away one by one.
class BridgeSession {
  public:
    // `byStoredCcsid`: records and exports read character and graphic fields by their stored
    // CCSIDs (the records in UTF-8, the exports in the PC page), as the window's Options choice
    // does; else by the pair.
    BridgeSession(std::int32_t ebcdicCodePage, std::int32_t pcCodePage, bool byStoredCcsid = false);
    ~BridgeSession();

    BridgeSession(const BridgeSession&) = delete;
    BridgeSession& operator=(const BridgeSession&) = delete;

    // {"outcome": "opened" | "cannotOpen" | "notSaveFile", "messages": [...], "stop": ...}
    // An opened save's answer also says which pair is in force, the pair its texts suggest, the
    // damage it was read past and whether the pair misreads its tagged fields (SaveNotices).
    std::string open(OpenedSave::StoredOpener stored, const std::string& name);
    // The pair the save's texts suggest, once it is open.
    std::optional<SuggestedPair> suggestedPair() const;
    std::int32_t ebcdicCodePage() const { return converter_.EbcdicCodePage; }
    std::int32_t pcCodePage() const { return pcCodePage_; }
    // The save held by the save-file object at the tree node `object` (level 2), in a session of
    // its own; null after `answer` says why.
    std::unique_ptr<BridgeSession> openHeld(const NodePosition& object, std::string& answer);

    // {"complete": bool, "roots": [{"caption", "image", "details", "ifsPath", "children"}]}
    std::string tree();
    // What a node shows: labels, columns, row count, outcome and messages. The rows stay here.
    // A member's records are listed in steps: "listing" says "more" while slots are left, which
    // more() lists; only the status byte of each slot is kept, its cells decoded when asked for.
    std::string show(const NodePosition& node);
    // Lists up to `slots` more record slots of the member shown: {"rowCount", "slotsRead",
    // "recordCount", "listing", ...}.
    std::string more(std::int64_t slots);
    // Rows [first, first + count) of what was shown last: {"rows": [{"caption", "cells", ...}]}
    std::string rows(std::int64_t first, std::int64_t count);
    // {"lines": [...]}: the object list as aligned text, and {"headerLines", "captions",
    // "numeric", "rows"} as data, the rows in catalog order.
    std::string objects();
    // {"lines": [...]}: the object list's text over the rows at `order` (indices into the rows of
    // objects()), as the list saves it when sorted and filtered to those rows.
    std::string objectText(const std::vector<std::size_t>& order);
    // The stored data of the object at `node` (level 2) as hex-dump lines, read a page at a time
    // as rows() asks for them: {"title", "columns", "rowCount", "listing", "messages"}.
    std::string bytes(const NodePosition& node);
    // {"lines": [...]}: the check of the save as stored (every record, the coded data, whether the
    // catalog was read whole), as the command line gives it.
    std::string check();
    // The member at `node` (format "txt", "doc" or "xls") into folder/<object>_<member>.<ext>, with
    // progress in record slots; cancelled, it leaves no file. `encoding` "pc" or "utf-8" is what
    // a text file is written in; characters the PC page could not hold are counted in a message.
    std::string exportMember(const NodePosition& node, const std::string& format, bool splitter,
                             const std::string& encoding, const std::string& folder,
                             ProgressReporter& progress);
    // Every member of the file at `node` into `folder`.
    std::string exportBatch(const NodePosition& node, const std::string& format, bool splitter,
                            const std::string& encoding, const std::string& folder,
                            ProgressReporter& progress);
    // Everything (CSV, sources, CL source, data areas, stream files, catalog.json) into `folder`.
    std::string extract(const std::string& folder, ProgressReporter& progress);
    // The save's source as a project into `folder`, the files quelvane-cli sources FILE --to DIR
    // writes (without --git): {"cancelled", "members", "failures", "notes", "files", "messages"}.
    std::string sourceProject(const std::string& folder, ProgressReporter& progress);
    // This save (before) against `after` as quelvane-cli compare --json gives it: the saves'
    // details, the objects and members that differ with their changes, a source member's unified
    // diff and a data member's changed records. Progress is in objects of `after`.
    std::string compare(BridgeSession& after, bool withDates, ProgressReporter& progress);

  private:
    class Target;
    class Messages;

    std::string utf8(const std::string& pcText);
    std::string messagesJson();
    std::string failureJson(const std::string& reason);
    ViewOutcome listMember(ViewSession& session, NodeContentTarget& target, MemberRef ref);
    void listSlots(std::int64_t slots);
    std::int64_t rowCount() const;
    std::string listingJson();
    // This save as one side of a comparison, valid while the session lives.
    ComparedSave compared();

    std::int32_t pcCodePage_;
    InProcessTextConverter converter_;
    std::unique_ptr<Messages> messages_;
    PcTextToUtf8 toUtf8_;
    OpenedSave opened_;
    MemoryContentList list_;
    std::unique_ptr<ViewSession> views_;
    std::unique_ptr<Target> target_;
    // The member on display, when the node shown last is one: its rows and the pass listing them.
    std::unique_ptr<RecordRows> records_;
    std::unique_ptr<MemberSlotPass> pass_;
    // The object whose bytes are on display, in place of the list.
    std::unique_ptr<ObjectBytesPages> bytes_;
    bool listed_ = false;
};

}  // namespace quelvane
