#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "views/ContentList.h"
#include "views/ShownMember.h"

namespace quelvane {

// What the content views share for the whole program run: the catalog of the open save file
// (its path included), the one conversion call, the message boxes, the content list they fill
// and the records view's memory of the member on display. Each display opens the save file anew
// through `openSource` and drops it when done; it opens the file on disk unless replaced (tests
// and the fuzz target read bytes held in memory).
class NodeContentTarget;
enum class ViewOutcome;

struct ViewSession {
    using SourceOpener = std::function<std::unique_ptr<BlockSource>(const std::string& path)>;
    // Lists the records of a member; unset, the records view lists them in the calling thread.
    using MemberLister = std::function<ViewOutcome(ViewSession&, NodeContentTarget&, MemberRef)>;

    ViewSession(const Catalog& catalogIn, EbcdicTextConverter& converterIn, Notifier& notifierIn,
                ContentList& listIn);

    // The save file as its readers expect it: on the repaired grid when the parse read past
    // damage, and a compressed save in its expanded form.
    std::unique_ptr<BlockSource> openSaveFile() const;

    const Catalog& catalog;
    EbcdicTextConverter& converter;
    Notifier& notifier;
    ContentList& list;
    ShownMember shownMember;
    SourceOpener openSource;
    MemberLister listMember;
    // The PC code page of the list's texts, for texts that are not EBCDIC (names and stream
    // files of the integrated file system); unset, 1252.
    std::function<std::int32_t()> pcCodePage;
    // Set, the records view reads character and graphic fields by their stored CCSIDs into
    // UTF-8 cells, falling back to this host page; unset, every field by the pair into PC-page
    // cells.
    std::optional<std::int32_t> storedCcsidHostPage;
    // What the last records listing or member list by stored CCSID did: its cells are UTF-8, and the
    // fallbacks it used, one note per field ("FIELD9: CCSID 65535, shown as hex").
    bool listedUtf8Cells = false;
    // Whether the labels the last display set are UTF-8: an object's or member's, read by stored
    // CCSID (storedCcsidHostPage set); else PC-page text.
    bool labelsUtf8 = false;
    std::vector<std::string> ccsidFallbackNotes;
    // Why the last records listing or export showed its fixed reading-failure message, for a
    // note beside it (stderr, a status bar); empty when none was shown or a message after it
    // already said why (a segment that cannot be expanded says its own).
    std::string failureCause;

    // Keeps `failure`'s reason as failureCause, as said above.
    void keepFailureCause(const std::exception& failure);
};

}  // namespace quelvane
