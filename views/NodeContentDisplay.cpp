#include "views/NodeContentDisplay.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "describe/ObjectDescriber.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/CatalogTexts.h"
#include "savefile/CatalogTree.h"
#include "savefile/FailureReason.h"
#include "savefile/ObjectKinds.h"
#include "savefile/SaveFileLayout.h"
#include "savefile/SegmentExpansionFailure.h"
#include "savefile/TypeCodes.h"
#include "views/ClSourceView.h"
#include "views/DataAreaView.h"
#include "views/IfsNodeView.h"
#include "views/MemberRecordsView.h"
#include "views/ObjectDescriptionView.h"
#include "views/SegmentLookup.h"

namespace quelvane {

namespace {

constexpr int kMemberColumnWidth = 120;
constexpr int kMemberDescriptionWidth = 600;
constexpr std::int32_t kDefaultPcPage = 1252;
// A UTF-8 byte that continues a character: 10xxxxxx.
constexpr unsigned kUtf8LeadBits = 0xC0;
constexpr unsigned kUtf8ContinuationBits = 0x80;

// Saved save file: with a header below 512 bytes the block examined lies v ÷ 512 blocks after
// the block that follows the segment header, v being the 24-bit number at body byte 30 of the
// header block. Otherwise the saved file's own first block lies 24 blocks after its segment
// header block.
constexpr std::int64_t kSkipCountAt = 30;
constexpr std::int64_t kNestedFirstBlockAfterHeader = 24;
constexpr std::int32_t kHeaderUnit = SaveFileLayout::kHeaderUnit;

// Pads to `width` characters: bytes of PC-page text, code points of UTF-8 text.
std::string padded(const std::string& text, std::size_t width, bool utf8 = false) {
    std::string out = text;
    const std::size_t shown =
        utf8 ? static_cast<std::size_t>(std::count_if(out.begin(), out.end(),
                                                      [](char c) {
                                                          return (static_cast<unsigned char>(c) &
                                                                  kUtf8LeadBits) != kUtf8ContinuationBits;
                                                      }))
             : out.size();
    if (shown < width) {
        out.append(width - shown, ' ');
    }
    return out;
}

std::string nameLine(const char* title, const std::string& name, const std::string& kind) {
    std::string line = std::string(title) + padded(name, 10);
    if (!kind.empty()) {
        line += "  It's " + kind + " type.";
    }
    return line;
}

std::string descriptionLine(const std::string& text, bool utf8 = false) {
    return "Description:  " + padded(text, 50, utf8) + " .";
}

void clearList(ViewSession& session) {
    session.list.clearRows();
    session.list.clearColumns();
    session.shownMember.stale = true;
}

// By stored CCSID the member names and texts are UTF-8, as the list's cells then are.
void showMemberList(ViewSession& session, const SavedObject& file, CatalogTexts& texts) {
    clearList(session);
    ContentList& list = session.list;
    list.addColumn("Member Name", kMemberColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    list.addColumn("Records Number", kMemberColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    list.addColumn("Member Description", kMemberDescriptionWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max(shownMemberCount(file), 0)),
                                              file.members.size());
    for (std::size_t k = 0; k < count; ++k) {
        const SavedMember& member = file.members[k];
        list.addRow(texts.plain(member.name));
        list.appendCell(std::to_string(member.recordCount));
        list.appendCell(texts.memberText(file, member));
    }
    session.listedUtf8Cells = texts.utf8();
}

void showSaveFileCheck(ViewSession& session, const SavedObject& object) {
    session.list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                           ContentList::Sizing::Header);
    const SegmentTable& segments = session.catalog.segments;
    std::optional<std::int32_t> entry = SegmentLookup::findPrefixSegment(segments, object.name);
    std::int32_t headerUnits = session.catalog.header.headerSize / kHeaderUnit;
    if (!entry || headerUnits < 0) {
        return;
    }
    std::int64_t headerBlock = std::int64_t{segments.slot(*entry).sequence} - 1;
    std::unique_ptr<BlockSource> saveFile = session.openSaveFile();
    BlockFile blocks(*saveFile);
    std::array<std::uint8_t, BlockFile::kBlockSize> buffer{};
    std::int64_t examined = headerBlock + kNestedFirstBlockAfterHeader;
    // A file whose header states no size, or one of the oldest layout, stores it the older way.
    if (headerUnits == 0 || session.catalog.header.oldestLayout) {
        if (!blocks.read(headerBlock, buffer)) {
            return;
        }
        examined = headerBlock + 1 + (BigEndianReader(buffer).u24(kSkipCountAt) >> 9);
    }
    if (blocks.read(examined, buffer) && BigEndianReader(buffer).u32(0) == 0) {
        session.list.addRow("This file is null");
    }
}

ViewOutcome showObject(ViewSession& session, NodeContentTarget& target, const SavedObject& object) {
    clearList(session);
    std::unique_ptr<CatalogTexts> texts = nodeTexts(session);
    session.labelsUtf8 = texts->utf8();
    target.setNodeTitle(texts->plain(nameLine("Object:  ", object.name, object.attribute)));
    target.enableBatch(isPhysicalFile(object));
    target.setNodeSummary(descriptionLine(texts->objectText(object), texts->utf8()));
    const std::uint16_t type = object.typeCode;
    if (isClProgram(object)) {
        showClSource(session, object);
    } else if (isPhysicalFile(object)) {
        showMemberList(session, object, *texts);
    } else if (isSaveFile(object)) {
        showSaveFileCheck(session, object);
    } else if (type == kDataAreaObjectType) {
        showDataAreaValue(session, object);
    } else if (ObjectDescriber::describes(type, object.attribute)) {
        showObjectDescription(session, object);
    }
    return ViewOutcome::Shown;
}

}  // namespace

bool showsObjectContent(const SavedObject& object) {
    return isClProgram(object) || isPhysicalFile(object) || isSaveFile(object) ||
           object.typeCode == kDataAreaObjectType ||
           ObjectDescriber::describes(object.typeCode, object.attribute);
}

std::unique_ptr<CatalogTexts> nodeTexts(const ViewSession& session) {
    if (!session.storedCcsidHostPage) {
        return std::make_unique<CatalogTexts>();
    }
    return std::make_unique<CatalogTexts>(session.catalog, *session.storedCcsidHostPage,
                                          session.pcCodePage ? session.pcCodePage() : kDefaultPcPage);
}

ViewOutcome showNodeContent(ViewSession& session, NodeContentTarget& target,
                            const std::optional<NodePosition>& node) {
    target.refreshTitle();
    session.labelsUtf8 = false;
    session.listedUtf8Cells = false;
    target.enableExport(false);
    target.enableBatch(false);
    if (!node) {
        return ViewOutcome::Shown;
    }
    const Catalog& catalog = session.catalog;
    if (catalog.ifs) {
        return showIfsNode(session, target, node->ifsPath);
    }
    switch (node->level) {
        case 0:
        case 1:
            session.shownMember.stale = true;
            target.showVersion();
            return ViewOutcome::Shown;
        case 2: {
            const SavedObject* object = catalog.findObject({node->parentIndex, node->index});
            if (object == nullptr) {
                return ViewOutcome::Shown;
            }
            // CL source, data-area values and saved save files are read from the object's
            // segment: coded data there that cannot be expanded, or any other failure to read it, is
            // said, not shown.
            try {
                return showObject(session, target, *object);
            } catch (const std::exception& failure) {
                session.notifier.message(failureReason(failure));
                return ViewOutcome::Failed;
            }
        }
        case 3: {
            const MemberRef ref{node->grandparentIndex, node->parentIndex, node->index};
            const SavedMember* member = catalog.findMember(ref);
            if (member == nullptr) {
                return ViewOutcome::Shown;
            }
            const SavedObject& file = catalog.objectAt(ref.file());
            std::unique_ptr<CatalogTexts> texts = nodeTexts(session);
            session.labelsUtf8 = texts->utf8();
            target.setNodeTitle(texts->plain(nameLine("Member:  ", member->name, member->type)));
            target.setNodeSummary(descriptionLine(texts->memberText(file, *member), texts->utf8()));
            if (isPhysicalFile(file) && file.fieldCount != 0) {
                return session.listMember ? session.listMember(session, target, ref)
                                          : showMemberRecords(session, target, ref);
            }
            session.shownMember.recordLength = 0;
            clearList(session);
            return ViewOutcome::Shown;
        }
        default:
            return ViewOutcome::Shown;
    }
}

CatalogTree libraryTree(const ViewSession& session) {
    const std::unique_ptr<CatalogTexts> texts = nodeTexts(session);
    return buildCatalogTree(session.catalog, *texts);
}

}  // namespace quelvane
