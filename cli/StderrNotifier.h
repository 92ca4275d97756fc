#pragma once

#include <cstdio>
#include <string>

#include "conversion/Notifier.h"

namespace quelvane::cli {

// Message boxes become lines on stderr; an error box's caption leads its line.
class StderrNotifier final : public Notifier {
  public:
    void message(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void error(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
};

}  // namespace quelvane::cli
