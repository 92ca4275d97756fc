#include "bridge/BridgeSession.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "bridge/SaveNotices.h"
#include "compare/ComparisonJson.h"
#include "compare/SaveComparer.h"
#include "export/ExportCommands.h"
#include "export/ExportFileNames.h"
#include "export/ExportRecordPass.h"
#include "export/ExportSession.h"
#include "export/IfsEntryExport.h"
#include "export/InProcessAutomationClient.h"
#include "extract/JsonWriter.h"
#include "extract/SaveFileExtractor.h"
#include "savefile/CatalogTree.h"
#include "savefile/IfsTree.h"
#include "savefile/IntegrityCheck.h"
#include "savefile/OutputFolder.h"
#include "sources/SourceLayout.h"
#include "sources/SourceProjectWriter.h"
#include "views/NodeContentTarget.h"
#include "views/ObjectList.h"
#include "views/ObjectListText.h"
#include "views/VersionSummaryView.h"

namespace quelvane {

namespace {

constexpr int kRecordlessImage = 1;

// The page's "image" of a tree node: 0 a library or the IFS root, 2 a part or a directory, 4 an
// object or a stream file, 0 a member.
int pageImage(TreeNodeKind kind) {
    switch (kind) {
        case TreeNodeKind::Part:
        case TreeNodeKind::IfsDirectory:
            return 2;
        case TreeNodeKind::Object:
        case TreeNodeKind::IfsFile:
            return 4;
        case TreeNodeKind::Library:
        case TreeNodeKind::IfsRoot:
        case TreeNodeKind::Member:
            return 0;
    }
    return 0;
}
// The slots a show lists before it answers, and the statuses handed on at a time.
constexpr std::int64_t kFirstSlots = 20000;
constexpr std::size_t kStatusBatch = 4096;

const char* outcomeName(OpenedSave::Outcome outcome) {
    switch (outcome) {
        case OpenedSave::Outcome::Opened:
            return "opened";
        case OpenedSave::Outcome::CannotOpen:
            return "cannotOpen";
        // The bridge's opens are never asked to stop.
        case OpenedSave::Outcome::Cancelled:
            return "cancelled";
        case OpenedSave::Outcome::NotSaveFile:
            break;
    }
    return "notSaveFile";
}

// A tree read by stored CCSID is UTF-8 already; one read by the pair is in the PC page.
void writeNode(JsonWriter& json, const CatalogTreeNode& node, PcTextToUtf8& utf8, bool isUtf8) {
    const auto text = [&](const std::string& value) { return isUtf8 ? value : utf8.toUtf8(value); };
    json.beginObject();
    json.member("caption", text(node.caption));
    json.member("image", pageImage(node.kind));
    if (!node.details.empty()) {
        json.member("details", text(node.details));
    }
    if (isUtf8 && !node.text.empty()) {
        json.member("text", node.text);
    }
    if (!node.ifsPath.empty()) {
        json.member("ifsPath", node.ifsPath);
    }
    json.key("children");
    json.beginArray();
    for (const CatalogTreeNode& child : node.children) {
        writeNode(json, child, utf8, isUtf8);
    }
    json.endArray();
    json.endObject();
}

// The files below `folder`, by their paths relative to it, as a JSON array.
std::string filesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file()) {
            files.push_back(std::filesystem::relative(it->path(), folder).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    std::string out = "[";
    for (std::size_t i = 0; i < files.size(); ++i) {
        out += (i == 0 ? "" : ",") + JsonWriter::quoted(files[i]);
    }
    return out + "]";
}

std::string stringsJson(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        out += (i == 0 ? "" : ",") + JsonWriter::quoted(texts[i]);
    }
    return out + "]";
}

// An object still open, for the caller to add members and close.
std::string linesJson(const std::vector<std::string>& lines) {
    return "{\"lines\":" + stringsJson(lines);
}

}  // namespace

// What the message boxes would say, kept for the next answer.
class BridgeSession::Messages final : public Notifier {
  public:
    void message(const std::string& text) override { said.push_back(text); }
    void error(const std::string& text, const std::string& caption) override {
        said.push_back(caption + ": " + text);
    }

    std::vector<std::string> said;
};

// The labels the window would show above the list.
class BridgeSession::Target final : public NodeContentTarget {
  public:
    Target(ContentList& list, const Catalog& catalog) : list_(list), catalog_(catalog) {}

    void refreshTitle() override {}
    void setNodeTitle(const std::string& text) override { title = text; }
    void setNodeSummary(const std::string& text) override { summary = text; }
    void enableExport(bool enabled) override { exportable = enabled; }
    void enableBatch(bool enabled) override { batch = enabled; }
    void showVersion() override { showVersionSummary(list_, catalog_.header); }

    std::optional<std::string> title;
    std::optional<std::string> summary;
    bool exportable = false;
    bool batch = false;

  private:
    ContentList& list_;
    const Catalog& catalog_;
};

BridgeSession::BridgeSession(std::int32_t ebcdicCodePage, std::int32_t pcCodePage, bool byStoredCcsid)
    : pcCodePage_(pcCodePage), messages_(std::make_unique<Messages>()), toUtf8_(pcCodePage) {
    converter_.EbcdicCodePage = ebcdicCodePage;
    converter_.PcCodePage = pcCodePage;
    views_ = std::make_unique<ViewSession>(opened_.catalog(), converter_, *messages_, list_);
    views_->pcCodePage = [page = pcCodePage] { return page; };
    if (byStoredCcsid) {
        views_->storedCcsidHostPage = ebcdicCodePage;
    }
    views_->listMember = [this](ViewSession& session, NodeContentTarget& target, MemberRef ref) {
        return listMember(session, target, ref);
    };
    target_ = std::make_unique<Target>(list_, opened_.catalog());
}

BridgeSession::~BridgeSession() = default;

std::string BridgeSession::utf8(const std::string& pcText) {
    return toUtf8_.toUtf8(pcText);
}

std::string BridgeSession::messagesJson() {
    std::string out = "[";
    for (std::size_t i = 0; i < messages_->said.size(); ++i) {
        out += (i == 0 ? "" : ",") + JsonWriter::quoted(utf8(messages_->said[i]));
    }
    messages_->said.clear();
    return out + "]";
}

std::string BridgeSession::failureJson(const std::string& reason) {
    return "{\"error\":" + JsonWriter::quoted(utf8(reason)) + ",\"messages\":" + messagesJson() + "}";
}

std::string BridgeSession::open(OpenedSave::StoredOpener stored, const std::string& name) {
    const OpenedSave::Outcome outcome = opened_.open(std::move(stored), name, converter_, *messages_);
    views_->openSource = opened_.sourceOpener();
    views_->shownMember.resetForOpen();
    list_.clearColumns();
    list_.clearRows();
    bytes_.reset();
    const std::string notices =
        outcome == OpenedSave::Outcome::Opened
            ? SaveNotices::ofSave(opened_.catalog(), converter_.EbcdicCodePage, pcCodePage_,
                                  views_->storedCcsidHostPage.has_value(), toUtf8_)
            : std::string();
    return "{\"outcome\":\"" + std::string(outcomeName(outcome)) +
           "\",\"stop\":" + JsonWriter::quoted(opened_.report().text()) + notices +
           ",\"messages\":" + messagesJson() + "}";
}

std::optional<SuggestedPair> BridgeSession::suggestedPair() const {
    return SuggestedPair::of(opened_.catalog());
}

std::unique_ptr<BridgeSession> BridgeSession::openHeld(const NodePosition& object, std::string& answer) {
    if (object.level != 2 || opened_.catalog().findObject({object.parentIndex, object.index}) == nullptr) {
        answer = failureJson("no object at that node");
        return nullptr;
    }
    const NestedSave where = opened_.locateHeld({object.parentIndex, object.index});
    if (where.state != NestedSave::State::Found) {
        answer = failureJson(where.message);
        return nullptr;
    }
    auto held = std::make_unique<BridgeSession>(converter_.EbcdicCodePage, pcCodePage_,
                                                views_->storedCcsidHostPage.has_value());
    answer = held->open(opened_.heldOpener(where), opened_.catalog().path);
    return held;
}

std::string BridgeSession::tree() {
    Catalog& catalog = opened_.catalog();
    const CatalogTree tree = catalog.ifs && catalog.ifs->tree
                                 ? IfsTree::catalogTree(*catalog.ifs->tree, pcCodePage_)
                                 : libraryTree(*views_);
    JsonWriter json;
    json.beginObject();
    json.member("complete", tree.complete);
    json.key("roots");
    json.beginArray();
    for (const CatalogTreeNode& root : tree.roots) {
        writeNode(json, root, toUtf8_, tree.utf8);
    }
    json.endArray();
    json.endObject();
    return json.text();
}

ViewOutcome BridgeSession::listMember(ViewSession& session, NodeContentTarget& target, MemberRef ref) {
    listed_ = true;
    ViewOutcome outcome = ViewOutcome::Shown;
    std::optional<MemberListingPlan> plan = startMemberRecords(session, target, ref, outcome);
    if (!plan) {
        // The member already on display keeps its rows; a listing that could not start has none.
        if (outcome != ViewOutcome::Shown) {
            records_.reset();
            pass_.reset();
        }
        return outcome;
    }
    records_.reset();
    records_ = std::make_unique<RecordRows>(*plan->file, session.openSaveFile(), plan->sequence,
                                            session.converter, plan->recordDistance);
    if (session.storedCcsidHostPage) {
        records_->decodeByStoredCcsid(*session.storedCcsidHostPage);
    }
    // A record count read from the file is only trusted as far as the file could hold its slots.
    if (const std::unique_ptr<BlockSource> probe = session.openSaveFile(); probe != nullptr) {
        const std::int64_t room = probe->size() / (std::int64_t{std::max(plan->file->recordLength, 0)} + 1);
        records_->reserve(std::min(plan->recordCount, room));
    }
    pass_ = std::make_unique<MemberSlotPass>(std::move(*plan));
    return ViewOutcome::Shown;
}

// Lists more slots; once the pass has ended, what the listing says at its end is said.
void BridgeSession::listSlots(std::int64_t slots) {
    if (pass_ == nullptr || pass_->ended()) {
        return;
    }
    const bool ended = pass_->step(slots, kStatusBatch, [this](std::span<const std::uint8_t> statuses) {
        records_->append(statuses.data(), statuses.size());
    });
    if (ended) {
        reportListingEnd(*messages_, pass_->maxError(), pass_->end(), pass_->expansionFailure());
    }
}

std::int64_t BridgeSession::rowCount() const {
    if (bytes_ != nullptr) {
        return bytes_->lineCount();
    }
    return records_ != nullptr ? records_->rowCount() : list_.rowCount();
}

std::string BridgeSession::listingJson() {
    const bool more = pass_ != nullptr && !pass_->ended();
    // How far a member's listing is: slots read of the slots its record count promises.
    const std::string progress = pass_ == nullptr
                                     ? std::string()
                                     : ",\"slotsRead\":" + std::to_string(pass_->slotsRead()) +
                                           ",\"recordCount\":" + std::to_string(pass_->recordCount());
    return "\"rowCount\":" + std::to_string(rowCount()) + progress + ",\"listing\":\"" +
           (more ? "more" : "complete") + "\",\"messages\":" + messagesJson() + "}";
}

std::string BridgeSession::more(std::int64_t slots) {
    listSlots(std::max<std::int64_t>(slots, 1));
    return "{" + listingJson();
}

std::string BridgeSession::show(const NodePosition& node) {
    target_ = std::make_unique<Target>(list_, opened_.catalog());
    listed_ = false;
    bytes_.reset();
    const ViewOutcome outcome = showNodeContent(*views_, *target_, node);
    if (!listed_) {
        records_.reset();
        pass_.reset();
    }
    listSlots(kFirstSlots);
    std::string out = "{\"outcome\":\"";
    out += outcome == ViewOutcome::Shown ? "shown" : "failed";
    out += "\"";
    for (const auto& [name, label] :
         {std::pair{"title", &target_->title}, std::pair{"summary", &target_->summary}}) {
        if (*label) {
            out += ",\"" + std::string(name) +
                   "\":" + JsonWriter::quoted(views_->labelsUtf8 ? **label : utf8(**label));
        }
    }
    out += ",\"exportable\":" + std::string(target_->exportable ? "true" : "false");
    out += ",\"batch\":" + std::string(target_->batch ? "true" : "false");
    const SavedObject* object = node.level == 2 && !opened_.catalog().ifs
                                    ? opened_.catalog().findObject({node.parentIndex, node.index})
                                    : nullptr;
    if (object != nullptr) {
        out += SaveNotices::ofObject(*object, toUtf8_);
    }
    out += ",\"columns\":[";
    for (int c = 0; c < list_.columnCount(); ++c) {
        const MemoryContentList::Column& column = list_.column(c);
        out += (c == 0 ? "{\"caption\":" : ",{\"caption\":") + JsonWriter::quoted(utf8(column.caption)) +
               ",\"width\":" + std::to_string(column.width) + ",\"alignment\":\"" +
               (column.alignment == ContentList::Alignment::Right ? "right" : "left") + "\"}";
    }
    return out + "]," + listingJson();
}

std::string BridgeSession::rows(std::int64_t first, std::int64_t count) {
    const std::int64_t total = rowCount();
    const std::int64_t begin = std::clamp<std::int64_t>(first, 0, total);
    const std::int64_t end = begin + std::clamp<std::int64_t>(count, 0, total - begin);
    std::string out = "{\"first\":" + std::to_string(begin) + ",\"rows\":[";
    for (std::int64_t r = begin; r < end && bytes_ != nullptr; ++r) {
        out += (r == begin ? "{\"caption\":" : ",{\"caption\":") + JsonWriter::quoted(utf8(bytes_->line(r))) +
               ",\"cells\":[]}";
    }
    for (std::int64_t r = begin; r < end && bytes_ == nullptr; ++r) {
        const bool records = records_ != nullptr;
        const std::string caption = records ? records_->rowCaption(r) : std::string(list_.rowCaption(r));
        out += (r == begin ? "{\"caption\":" : ",{\"caption\":") + JsonWriter::quoted(utf8(caption));
        if ((records ? records_->rowImage(r) : list_.rowImage(r)) == kRecordlessImage) {
            out += ",\"recordless\":true";
        }
        out += ",\"cells\":[";
        const int cells = records ? records_->cellCount(r) : list_.cellCount(r);
        const bool utf8Cells = records ? records_->utf8Cells() : views_->listedUtf8Cells;
        for (int c = 0; c < cells; ++c) {
            const std::string_view text = records ? records_->cellText(r, c) : list_.cellText(r, c);
            out += (c == 0 ? "" : ",") +
                   JsonWriter::quoted(utf8Cells ? std::string(text) : utf8(std::string(text)));
        }
        out += "]}";
    }
    return out + "]}";
}

std::string BridgeSession::bytes(const NodePosition& node) {
    const SavedObject* object = node.level == 2 && !opened_.catalog().ifs
                                    ? opened_.catalog().findObject({node.parentIndex, node.index})
                                    : nullptr;
    if (object == nullptr) {
        return failureJson("no object at that node");
    }
    auto pages = std::make_unique<ObjectBytesPages>(*views_, *object);
    if (!pages->available()) {
        return failureJson(pages->failure());
    }
    records_.reset();
    pass_.reset();
    bytes_ = std::move(pages);
    std::string out =
        "{\"outcome\":\"shown\",\"title\":" + JsonWriter::quoted(utf8("Show bytes: " + object->name));
    out +=
        ",\"summary\":" + JsonWriter::quoted(std::to_string(bytes_->size()) + " bytes of stored data" +
                                             (bytes_->truncated() ? " (the file ends before the rest)" : ""));
    out += ",\"columns\":[{\"caption\":\"\",\"width\":" + std::to_string(ContentList::kDefaultColumnWidth) +
           ",\"alignment\":\"left\"}],";
    return out + listingJson();
}

std::string BridgeSession::objects() {
    PcTextToUtf8 utf8(pcCodePage_);
    const ObjectList list = ObjectList::of(opened_.catalog(), utf8);
    std::vector<const ObjectListRow*> rows;
    rows.reserve(list.rows.size());
    for (const ObjectListRow& row : list.rows) {
        rows.push_back(&row);
    }
    std::string out = linesJson(ObjectListText::lines(list.headerLines, rows));
    out += ",\"headerLines\":" + stringsJson(list.headerLines);
    out += ",\"captions\":[";
    std::string numeric = "[";
    for (int c = 0; c < ObjectListText::kColumnCount; ++c) {
        const auto column = static_cast<ObjectListText::Column>(c);
        out += (c == 0 ? "" : ",") + JsonWriter::quoted(ObjectListText::caption(column));
        numeric += std::string(c == 0 ? "" : ",") + (ObjectListText::isNumeric(column) ? "true" : "false");
    }
    out += "],\"numeric\":" + numeric + "],\"rows\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += i == 0 ? "[" : ",[";
        for (int c = 0; c < ObjectListText::kColumnCount; ++c) {
            const auto column = static_cast<ObjectListText::Column>(c);
            out += (c == 0 ? "" : ",") + JsonWriter::quoted(ObjectListText::cell(*rows[i], column));
        }
        out += "]";
    }
    return out + "]}";
}

std::string BridgeSession::objectText(const std::vector<std::size_t>& order) {
    PcTextToUtf8 utf8(pcCodePage_);
    const ObjectList list = ObjectList::of(opened_.catalog(), utf8);
    std::vector<const ObjectListRow*> rows;
    rows.reserve(std::min(order.size(), list.rows.size()));
    for (const std::size_t at : order) {
        if (at >= list.rows.size()) {
            return failureJson("no object list row " + std::to_string(at));
        }
        rows.push_back(&list.rows[at]);
    }
    return linesJson(ObjectListText::lines(list.headerLines, rows)) + "}";
}

std::string BridgeSession::check() {
    const std::unique_ptr<BlockSource> stored = opened_.openStored();
    if (stored == nullptr) {
        return failureJson("no save file is open");
    }
    IntegrityReport report = IntegrityCheck::examine(*stored, &converter_);
    report.catalog = opened_.report();
    return linesJson(report.lines()) + "}";
}

std::string BridgeSession::exportMember(const NodePosition& node, const std::string& format, bool splitter,
                                        const std::string& encoding, const std::string& folder,
                                        ProgressReporter& progress) {
    const std::optional<ExportFormat> chosen = exportFormatNamed(format);
    if (!chosen) {
        return failureJson("unknown format " + format);
    }
    const std::optional<ExportTextEncoding> textEncoding = exportTextEncodingNamed(encoding);
    if (!textEncoding) {
        return failureJson("unknown encoding " + encoding);
    }
    InProcessAutomationClient automation(pcCodePage_);
    ExportSession session(*views_, automation, pcCodePage_);
    session.splitterOption = splitter;
    session.textEncoding = *textEncoding;
    const std::optional<MemberRef> member = exportableMember(session, node);
    if (!member) {
        return failureJson("not a member");
    }
    // The name the desktop's export dialog suggests: "OBJECT_MEMBER", decoded and made safe, so a
    // name from the file never reaches outside the folder.
    const Catalog& catalog = opened_.catalog();
    const std::string name = ExportFileNames::replaceExtension(
        session.memberFileName(catalog.objectAt(member->file()).name, catalog.memberAt(*member).name),
        ExportFileNames::extensionOf(*chosen));
    const std::int64_t slots = ExportRecordPass::slotLimit(*views_, *member).slots;
    std::int64_t asked = 0;
    // A stopped record pass ends the member as if it ended there: what the writer leaves behind
    // after a cancel is cut short and is removed here.
    session.keepGoing = [&progress, &asked, slots] {
        asked += ExportRecordPass::kSlotsBetweenAsks;
        progress.progress(std::min(asked, slots), slots);
        return !progress.cancelled();
    };
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    const ExportOutcome outcome = quelvane::exportMember(session, *member, *chosen, path.string());
    if (progress.cancelled()) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        return "{\"outcome\":\"cancelled\",\"files\":[],\"messages\":" + messagesJson() + "}";
    }
    if (outcome != ExportOutcome::Written) {
        return failureJson("the member was not exported");
    }
    return "{\"outcome\":\"written\",\"files\":" + filesBelow(folder) + ",\"messages\":" + messagesJson() +
           "}";
}

std::string BridgeSession::exportBatch(const NodePosition& node, const std::string& format, bool splitter,
                                       const std::string& encoding, const std::string& folder,
                                       ProgressReporter& progress) {
    const std::optional<ExportFormat> chosen = exportFormatNamed(format);
    if (!chosen) {
        return failureJson("unknown format " + format);
    }
    const std::optional<ExportTextEncoding> textEncoding = exportTextEncodingNamed(encoding);
    if (!textEncoding) {
        return failureJson("unknown encoding " + encoding);
    }
    InProcessAutomationClient automation(pcCodePage_);
    ExportSession session(*views_, automation, pcCodePage_);
    session.splitterOption = splitter;
    session.textEncoding = *textEncoding;
    session.keepGoing = [&progress] { return !progress.cancelled(); };
    const std::optional<ObjectRef> file = batchFile(session, node);
    if (!file) {
        return failureJson("not a physical file");
    }
    const ExportOutcome outcome =
        exportFileMembers(session, *file, *chosen, folder,
                          [&progress](const std::string&, std::int32_t done, std::int32_t total) {
                              progress.progress(done, total);
                          });
    const char* state = outcome == ExportOutcome::Written     ? "written"
                        : outcome == ExportOutcome::Cancelled ? "cancelled"
                                                              : "failed";
    return "{\"outcome\":\"" + std::string(state) + "\",\"files\":" + filesBelow(folder) +
           ",\"messages\":" + messagesJson() + "}";
}

std::string BridgeSession::extract(const std::string& folder, ProgressReporter& progress) {
    const Catalog& catalog = opened_.catalog();
    // One job, the members in turn: the WebAssembly build has no threads.
    SaveFileExtractor extractor(catalog, converter_, pcCodePage_);
    // As quelvane-cli extract: field texts by their stored CCSIDs.
    extractor.decodeByStoredCcsid(converter_.EbcdicCodePage);
    extractor.setStreamFileWriter(
        [this](const std::vector<IfsEntry>& entries, const std::filesystem::path& to) {
            return IfsEntryExport::writeEntries(opened_.openReadable(), *opened_.catalog().ifs, entries, to);
        });
    extractor.readThrough(opened_.sourceOpener());
    if (!opened_.report().complete()) {
        extractor.setIncomplete(opened_.report().text());
    }
    const std::string name = std::filesystem::path(catalog.path).filename().string();
    const ExtractOutcome outcome = extractor.run(folder, nullptr, name, progress);
    JsonWriter json;
    json.beginObject();
    json.member("cancelled", outcome.cancelled);
    json.key("failures");
    json.beginArray();
    const std::vector<std::string>* const lists[] = {&outcome.failures, &outcome.objectFailures};
    for (const std::vector<std::string>* list : lists) {
        for (const std::string& failure : *list) {
            json.value(failure);
        }
    }
    json.endArray();
    json.key("notes");
    json.beginArray();
    for (const std::string& note : outcome.notes) {
        json.value(note);
    }
    json.endArray();
    json.endObject();
    std::string out = json.text();
    out.erase(out.find_last_of('}'));
    return out + ",\"files\":" + filesBelow(folder) + ",\"messages\":" + messagesJson() + "}";
}

std::string BridgeSession::sourceProject(const std::string& folder, ProgressReporter& progress) {
    const Catalog& catalog = opened_.catalog();
    // As quelvane-cli sources FILE --to DIR writes one save into an empty folder.
    const SaveSummary save = SaveSummary::of(catalog, catalog.path, pcCodePage_);
    const SourceLayout layout(folder, {save});
    std::string why;
    const OutputFolder root = OutputFolder::open(folder, true, why);
    if (!root.isOpen()) {
        return failureJson(why);
    }
    SourceProjectOptions options;
    options.reservedAtRoot = layout.subfolders();
    SourceProjectWriter writer(catalog, converter_, pcCodePage_, converter_.EbcdicCodePage);
    writer.readThrough(opened_.sourceOpener());
    SourceProjectOutcome outcome = writer.write(
        root, [&layout](const std::string& library) { return layout.folderOf(library); }, options, progress);
    if (!opened_.report().complete()) {
        outcome.failures.insert(outcome.failures.begin(),
                                "the catalog is incomplete: " + opened_.report().text());
    }
    std::int64_t members = 0;
    for (const SourceLibraryOutcome& library : outcome.libraries) {
        members += library.members;
    }
    return "{\"cancelled\":" + std::string(outcome.cancelled ? "true" : "false") +
           ",\"members\":" + std::to_string(members) + ",\"failures\":" + stringsJson(outcome.failures) +
           ",\"notes\":" + stringsJson(outcome.notes) + ",\"files\":" + filesBelow(folder) +
           ",\"messages\":" + messagesJson() + "}";
}

ComparedSave BridgeSession::compared() {
    ComparedSave save;
    save.catalog = &opened_.catalog();
    save.stored = [this] { return opened_.openStored(); };
    save.converter = &converter_;
    save.hostPage = converter_.EbcdicCodePage;
    save.pcPage = pcCodePage_;
    if (!opened_.report().complete()) {
        save.incomplete = opened_.report().text();
    }
    return save;
}

std::string BridgeSession::compare(BridgeSession& after, bool withDates, ProgressReporter& progress) {
    if (opened_.openStored() == nullptr || after.opened_.openStored() == nullptr) {
        return failureJson("no save file is open");
    }
    const auto shownName = [](const Catalog& catalog) {
        return std::filesystem::path(catalog.path).filename().string();
    };
    SaveComparer::Options options;
    options.withDates = withDates;
    options.progress = &progress;
    SaveComparer comparer(compared(), after.compared(), options);
    return ComparisonJson::text(
        comparer.run(shownName(opened_.catalog()), shownName(after.opened_.catalog())));
}

}  // namespace quelvane
