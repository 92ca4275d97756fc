#pragma once

#include <string>
#include <vector>

#include "conversion/Notifier.h"

namespace quelvane::test {

// Keeps every message box the core asked for, in order, for tests to compare.
class RecordingNotifier final : public Notifier {
  public:
    struct Entry {
        std::string text;
        std::string caption;  // "Quelvane" for a plain message
    };

    void message(const std::string& text) override { entries.push_back({text, "Quelvane"}); }
    void error(const std::string& text, const std::string& caption) override {
        entries.push_back({text, caption});
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& e : entries) {
            out.push_back(e.text);
        }
        return out;
    }

    std::vector<Entry> entries;
};

}  // namespace quelvane::test
