#include "shell/ObjectPane.h"

#include <string>
#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "savefile/CatalogTree.h"
#include "savefile/ObjectKinds.h"
#include "shell/HeldSaveActions.h"
#include "shell/ShowBytesAction.h"

namespace quelvane {

namespace {

constexpr int kObjectLevel = 2;
constexpr std::int32_t kDefaultPcPage = 1252;

// "*FILE (DSPF)" for a file, "*PGM" for a program, the type code for a type without a name.
std::string typeLine(const SavedObject& object, PcTextToUtf8& utf8) {
    const std::string type = objectTypeText(object);
    if (object.typeCode == kFileObjectType) {
        return "*FILE (" + utf8.toUtf8(object.attribute) + ")";
    }
    if (type.find_first_not_of(' ') == std::string::npos) {
        return "type code " + typeCodeText(object.typeCode);
    }
    return "*" + utf8.toUtf8(type);
}

}  // namespace

ObjectPane::ObjectPane(QObject* parent, ViewSession& session, MemoryContentList& list, HeldSaveActions& held,
                       ShowBytesAction& bytes, Selection selection)
    : QObject(parent),
      session_(session),
      list_(list),
      held_(held),
      bytes_(bytes),
      selection_(std::move(selection)) {}

bool ObjectPane::follow() {
    offer_ = Offer::Nothing;
    const std::optional<NodePosition> node = selection_();
    if (!node || node->level != kObjectLevel || session_.catalog.ifs) {
        return false;
    }
    const SavedObject* object = session_.catalog.findObject({node->parentIndex, node->index});
    if (object == nullptr) {
        return false;
    }
    PcTextToUtf8 utf8(session_.pcCodePage ? session_.pcCodePage() : kDefaultPcPage);
    if (isSaveFile(*object)) {
        std::vector<std::string> lines{std::string(HeldSaveActions::kOpenCaption) +
                                       ": double-click here or on the object to see the save it holds."};
        for (std::string& line : held_.heldContents()) {
            lines.push_back(std::move(line));
        }
        addRows(lines);
        offer_ = Offer::OpenHeld;
        return true;
    }
    if (showsObjectContent(*object)) {
        return false;
    }
    addRows(
        {utf8.toUtf8(object->name) + " is an object of " + typeLine(*object, utf8) +
             ", whose contents this program does not describe.",
         std::string(ShowBytesAction::kCaption) +
             ": double-click here to see its stored data as a hex dump (also in the tree's pop-up menu)."});
    offer_ = Offer::ShowBytes;
    return true;
}

void ObjectPane::addRows(const std::vector<std::string>& lines) {
    if (list_.columnCount() == 0) {
        list_.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                        ContentList::Sizing::Header);
    }
    for (const std::string& line : lines) {
        list_.addRow(line);
    }
}

bool ObjectPane::activate(bool heldOnly) {
    if (heldOnly && offer_ != Offer::OpenHeld) {
        return false;
    }
    switch (offer_) {
        case Offer::OpenHeld:
            held_.openHeld();
            return true;
        case Offer::ShowBytes:
            bytes_.showBytes();
            return true;
        case Offer::Nothing:
            break;
    }
    return false;
}

}  // namespace quelvane
