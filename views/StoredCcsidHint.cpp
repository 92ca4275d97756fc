#include "views/StoredCcsidHint.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "conversion/CodePageRegistry.h"
#include "savefile/ObjectKinds.h"
#include "views/FieldTextByCcsid.h"

namespace quelvane {

namespace {

constexpr std::uint16_t kNoCcsid = 0;
constexpr std::uint16_t kBinaryCcsid = 65535;

template <typename Items>
std::size_t countOf(const Items& items, std::int32_t stated) {
    return std::min(items.size(), static_cast<std::size_t>(std::max(stated, 0)));
}

}  // namespace

bool StoredCcsidHint::readsAlike(std::uint16_t ccsid, std::int32_t hostPage) {
    const StoredCcsidEntry* stored = findStoredCcsid(ccsid);
    const HostPageEntry* host = findHostPage(hostPage);
    if (stored == nullptr || host == nullptr) {
        return true;
    }
    if (stored->converter == host->converter) {
        return true;
    }
    // The host page's own CCSIDs name its language: 930 is Japanese like 290 and 5026.
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        if (entry.converter == host->converter && entry.language == stored->language) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> StoredCcsidHint::note(const Catalog& catalog, std::int32_t hostPage) {
    std::map<std::uint16_t, std::size_t> tagged;
    std::size_t textFields = 0;
    for (const SavedPart& part : catalog.parts) {
        const SavedLibrary& library = part.library;
        for (std::size_t i = 0; i < countOf(library.objects, library.objectCount); ++i) {
            const SavedObject& object = library.objects[i];
            if (!isPhysicalFile(object)) {
                continue;
            }
            for (std::size_t j = 0; j < countOf(object.fields, object.fieldCount); ++j) {
                const SavedField& field = object.fields[j];
                if (!FieldTextByCcsid::decidesText(field)) {
                    continue;
                }
                ++textFields;
                const std::uint16_t ccsid = field.description.ccsid;
                if (field.description.read && ccsid != kNoCcsid && ccsid != kBinaryCcsid) {
                    ++tagged[ccsid];
                }
            }
        }
    }
    // The single-byte part of a mixed CCSID (290 beside 5026) counts with it: fields are
    // grouped by language and named by the group's commonest mixed CCSID, else its commonest.
    std::map<std::string_view, std::size_t> byLanguage;
    for (const auto& [ccsid, count] : tagged) {
        if (const StoredCcsidEntry* entry = findStoredCcsid(ccsid)) {
            byLanguage[entry->language] += count;
        }
    }
    for (const auto& [language, count] : byLanguage) {
        if (count * 2 <= textFields) {
            continue;
        }
        std::uint16_t named = 0;
        std::size_t namedCount = 0;
        bool namedMixed = false;
        for (const auto& [ccsid, fields] : tagged) {
            const StoredCcsidEntry* entry = findStoredCcsid(ccsid);
            if (entry == nullptr || entry->language != language) {
                continue;
            }
            const bool mixed = entry->form == CcsidForm::mixed;
            if ((mixed && !namedMixed) || (mixed == namedMixed && fields > namedCount)) {
                named = ccsid;
                namedCount = fields;
                namedMixed = mixed;
            }
        }
        if (readsAlike(named, hostPage)) {
            return std::nullopt;
        }
        return "Fields are tagged CCSID " + std::to_string(named) + " (" + std::string(language) +
               "); Options can decode by CCSID";
    }
    return std::nullopt;
}

}  // namespace quelvane
