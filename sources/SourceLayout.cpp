#include "sources/SourceLayout.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

#include "conversion/PcTextToUtf8.h"
#include "sources/SourceManifest.h"
#include "sources/SourceNames.h"

namespace quelvane {

namespace {

// iproj.json is a few hundred bytes; a larger file is not one this program wrote.
constexpr std::streamsize kProjectFileLimit = 65536;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t{era} * 146097 + dayOfEra - 719468;
}

bool earlier(const SavedTimestamp& a, const SavedTimestamp& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.microsecond) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.microsecond);
}

}  // namespace

SaveSummary SaveSummary::of(const Catalog& catalog, const std::string& path, std::int32_t pcCodePage) {
    PcTextToUtf8 utf8(pcCodePage);
    SaveSummary summary;
    summary.path = path;
    summary.fileName = std::filesystem::path(path).filename().string();
    const SaveDetails& details = catalog.header.details;
    summary.savedAt = details.savedAt ? details.savedAt : details.writtenAt;
    summary.system = details.systemName ? utf8.toUtf8(*details.systemName) : std::string();
    for (const SavedPart& part : catalog.parts) {
        const std::string name = utf8.toUtf8(part.library.name);
        if (!name.empty() &&
            std::find(summary.libraries.begin(), summary.libraries.end(), name) == summary.libraries.end()) {
            summary.libraries.push_back(name);
        }
    }
    return summary;
}

SourceLayout::SourceLayout(const std::filesystem::path& project, const std::vector<SaveSummary>& saves,
                           const std::vector<std::string>& moreLibraries) {
    std::set<std::string> libraries(moreLibraries.begin(), moreLibraries.end());
    for (const SaveSummary& save : saves) {
        libraries.insert(save.libraries.begin(), save.libraries.end());
    }
    const std::optional<std::string> named = projectLibrary(project);
    if (named) {
        top_ = *named;
        hasTop_ = true;
    } else if (libraries.size() == 1) {
        top_ = *libraries.begin();
        hasTop_ = true;
    }
    std::vector<std::string> others;
    for (const std::string& library : libraries) {
        if (!hasTop_ || library != top_) {
            others.push_back(library);
        }
    }
    const std::vector<SourceNames::Given> given = SourceNames::assign(
        others, std::vector<std::string>(others.size()),
        {SourceManifest::kProjectName, SourceManifest::kFolderName, SourceManifest::kIbmiJsonName, ".git"});
    for (std::size_t i = 0; i < others.size(); ++i) {
        folders_[others[i]] = given[i].name;
    }
}

std::string SourceLayout::folderOf(const std::string& library) const {
    auto found = folders_.find(library);
    return found == folders_.end() ? std::string() : found->second;
}

std::vector<std::string> SourceLayout::subfolders() const {
    std::vector<std::string> names;
    for (const auto& [library, folder] : folders_) {
        names.push_back(folder);
    }
    return names;
}

std::vector<std::string> SourceLayout::pathspec(const std::string& library) const {
    const std::string folder = folderOf(library);
    if (!folder.empty()) {
        return {":(literal)" + folder};
    }
    std::vector<std::string> spec = {"."};
    for (const auto& [other, otherFolder] : folders_) {
        spec.push_back(":(exclude,literal)" + otherFolder);
    }
    return spec;
}

std::vector<SaveSummary> SourceLayout::ordered(std::vector<SaveSummary> saves,
                                               std::vector<SaveSummary>& undated) {
    std::vector<SaveSummary> dated;
    for (SaveSummary& save : saves) {
        (save.savedAt ? dated : undated).push_back(std::move(save));
    }
    std::stable_sort(dated.begin(), dated.end(), [](const SaveSummary& a, const SaveSummary& b) {
        return earlier(*a.savedAt, *b.savedAt);
    });
    return dated;
}

std::optional<std::string> SourceLayout::projectLibrary(const std::filesystem::path& project) {
    std::ifstream in(project / SourceManifest::kProjectName, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(kProjectFileLimit), '\0');
    in.read(text.data(), kProjectFileLimit);
    text.resize(static_cast<std::size_t>(in.gcount()));
    const std::string key = "\"objlib\"";
    std::size_t at = text.find(key);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    at = text.find('"', text.find(':', at + key.size()));
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t end = text.find('"', at + 1);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    return text.substr(at + 1, end - at - 1);
}

std::int64_t SourceLayout::unixSeconds(const SavedTimestamp& time) {
    return daysFromCivil(time.year, time.month, time.day) * kSecondsPerDay + time.hour * kSecondsPerHour +
           time.minute * kSecondsPerMinute + time.second;
}

}  // namespace quelvane
