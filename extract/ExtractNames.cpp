#include "extract/ExtractNames.h"

#include "export/ExportFileNames.h"

namespace quelvane {

std::string ExtractNames::safePart(const std::string& name) {
    std::string safe = ExportFileNames::safeNamePart(name);
    if (safe.find_first_not_of('.') == std::string::npos) {
        safe.assign(std::max<std::size_t>(safe.size(), 1), '_');
    }
    return safe;
}

std::string ExtractNames::folded(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

void ExtractNames::reserve(const std::string& name) {
    taken_.insert(folded(name));
}

std::string ExtractNames::unique(const std::string& stem, const std::string& extension) {
    std::string candidate = stem + extension;
    for (int suffix = 2; taken_.contains(folded(candidate)); ++suffix) {
        candidate = stem + "_" + std::to_string(suffix) + extension;
    }
    taken_.insert(folded(candidate));
    return candidate;
}

}  // namespace quelvane
