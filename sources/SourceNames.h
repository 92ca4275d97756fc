#pragma once

#include <string>
#include <vector>

namespace quelvane {

// The names of one folder of a source project: the names of the system (files, members, upper
// case as a rule) in lower case, as the tools that edit and build IBM i source from a folder expect
// them. A name that would not be safe on Windows or macOS (a character those systems refuse, a
// device name such as CON or LPT1, a leading period, a trailing period or blank), or that would
// clash with another in lower case, keeps its place by a suffix made from the name itself: "~" and
// eight hex digits. The suffix depends on the name alone, so a member keeps its file name in every
// save of its library, whichever other members come and go.
class SourceNames {
  public:
    struct Given {
        std::string name;
        // Whether the name carries the suffix (and differs from the plain lower-case name).
        bool suffixed = false;
    };

    // One name per entry of `names` (UTF-8, as stored) with `extensions[i]` (already lower
    // case, "" or ".rpgle") appended; every name given is distinct without regard to ASCII
    // letter case and differs from every name in `reserved` (lower case).
    static std::vector<Given> assign(const std::vector<std::string>& names,
                                     const std::vector<std::string>& extensions,
                                     const std::vector<std::string>& reserved = {});

    // `name` in ASCII lower case.
    static std::string lower(std::string name);

    // Whether `name` (a whole file name) may be used as it is on Windows and macOS.
    static bool portable(const std::string& name);

    // "~" and the eight hex digits of `name`'s 32-bit FNV-1a hash.
    static std::string suffix(const std::string& name);
};

}  // namespace quelvane
