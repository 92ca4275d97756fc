#include "savefile/Catalog.h"

#include <cstdio>
#include <stdexcept>

#include "savefile/CatalogTree.h"

namespace quelvane {

std::string typeCodeText(std::uint16_t typeCode) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(typeCode));
    return text;
}

const SavedObject* Catalog::findObject(ObjectRef ref) const {
    if (ref.part < 0 || static_cast<std::size_t>(ref.part) >= parts.size()) {
        return nullptr;
    }
    const SavedLibrary& library = parts[static_cast<std::size_t>(ref.part)].library;
    if (ref.object < 0 || ref.object >= library.objectCount ||
        static_cast<std::size_t>(ref.object) >= library.objects.size()) {
        return nullptr;
    }
    return &library.objects[static_cast<std::size_t>(ref.object)];
}

const SavedMember* Catalog::findMember(MemberRef ref) const {
    const SavedObject* file = findObject(ref.file());
    if (file == nullptr || ref.member < 0 || ref.member >= shownMemberCount(*file) ||
        static_cast<std::size_t>(ref.member) >= file->members.size()) {
        return nullptr;
    }
    return &file->members[static_cast<std::size_t>(ref.member)];
}

const SavedObject& Catalog::objectAt(ObjectRef ref) const {
    const SavedObject* object = findObject(ref);
    if (object == nullptr) {
        throw std::out_of_range("no catalog object at that tree position");
    }
    return *object;
}

const SavedMember& Catalog::memberAt(MemberRef ref) const {
    const SavedMember* member = findMember(ref);
    if (member == nullptr) {
        throw std::out_of_range("no catalog member at that tree position");
    }
    return *member;
}

}  // namespace quelvane
