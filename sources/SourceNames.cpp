#include "sources/SourceNames.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>

#include "extract/ExtractNames.h"

namespace quelvane {

namespace {

constexpr std::uint32_t kFnvOffset = 2166136261U;
constexpr std::uint32_t kFnvPrime = 16777619U;

// The device names Windows keeps in every folder, with or without an extension.
constexpr std::array<std::string_view, 4> kDeviceNames = {"con", "prn", "aux", "nul"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"com", "lpt"};

bool isDeviceName(const std::string& lowerName) {
    const std::string stem = lowerName.substr(0, lowerName.find('.'));
    for (std::string_view device : kDeviceNames) {
        if (stem == device) {
            return true;
        }
    }
    for (std::string_view device : kNumberedDevices) {
        if (stem.size() == device.size() + 1 && stem.starts_with(device) && stem.back() >= '0' &&
            stem.back() <= '9') {
            return true;
        }
    }
    return false;
}

bool hasLowerCase(const std::string& name) {
    for (char c : name) {
        if (c >= 'a' && c <= 'z') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string SourceNames::lower(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

std::string SourceNames::suffix(const std::string& name) {
    std::uint32_t hash = kFnvOffset;
    for (char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "~%08x", static_cast<unsigned>(hash));
    return digits.data();
}

bool SourceNames::portable(const std::string& name) {
    if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ') {
        return false;
    }
    return ExtractNames::safePart(name) == name && !isDeviceName(lower(name));
}

// A name with lower-case letters gives way to its upper-case twin, the name the system's own
// commands create, so that the usual member keeps the plain name.
std::vector<SourceNames::Given> SourceNames::assign(const std::vector<std::string>& names,
                                                    const std::vector<std::string>& extensions,
                                                    const std::vector<std::string>& reserved) {
    std::vector<std::string> plain;
    std::map<std::string, int> uses;
    for (std::size_t i = 0; i < names.size(); ++i) {
        plain.push_back(lower(ExtractNames::safePart(names[i])) + extensions[i]);
        ++uses[plain.back()];
    }
    const std::set<std::string> kept(reserved.begin(), reserved.end());
    ExtractNames given;
    for (const std::string& name : reserved) {
        given.reserve(name);
    }
    std::vector<Given> result;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& ext = extensions[i];
        const std::string plainStem = plain[i].substr(0, plain[i].size() - ext.size());
        const bool safe = portable(plain[i]) && portable(plainStem) && lower(names[i]) + ext == plain[i];
        const bool clash = uses[plain[i]] > 1 && hasLowerCase(names[i]);
        Given name;
        if (safe && !clash && !kept.contains(plain[i])) {
            name.name = given.unique(plainStem, ext);
        } else {
            std::string stem = lower(ExtractNames::safePart(names[i]));
            while (!stem.empty() && (stem.back() == '.' || stem.back() == ' ')) {
                stem.back() = '_';
            }
            if (!stem.empty() && stem.front() == '.') {
                stem.front() = '_';
            }
            name.name = given.unique(stem + suffix(names[i]), ext);
        }
        name.suffixed = name.name != plain[i];
        result.push_back(std::move(name));
    }
    return result;
}

}  // namespace quelvane
