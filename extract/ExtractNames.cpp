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

// Names are never given back, so every suffix below the one a stem last got is still taken: the
// search goes on from there, and a thousand members of one name cost a thousand steps, not half
// a million.
std::string ExtractNames::unique(const std::string& stem, const std::string& extension) {
    std::string candidate = stem + extension;
    if (taken_.contains(folded(candidate))) {
        int& suffix = nextSuffix_.try_emplace({folded(stem), folded(extension)}, 2).first->second;
        for (;; ++suffix) {
            candidate = stem + "_" + std::to_string(suffix) + extension;
            if (!taken_.contains(folded(candidate))) {
                break;
            }
        }
        ++suffix;
    }
    taken_.insert(folded(candidate));
    return candidate;
}

}  // namespace quelvane
