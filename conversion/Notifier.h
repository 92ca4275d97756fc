#pragma once

#include <string>

namespace quelvane {

// The core never draws: every message box the program shows goes through this interface.
// The desktop shell turns it into modal message boxes, the command-line tool prints to stderr,
// tests record what was said. It lives in the lowest layer because the conversion binding
// already has messages to give.
class Notifier {
  public:
    virtual ~Notifier() = default;

    // A plain message box captioned with the application title ("Quelvane").
    virtual void message(const std::string& text) = 0;

    // An error box that carries a caption of its own (for example "Pick Out").
    virtual void error(const std::string& text, const std::string& caption) = 0;
};

// For callers that have nobody to tell.
class SilentNotifier final : public Notifier {
  public:
    void message(const std::string&) override {}
    void error(const std::string&, const std::string&) override {}
};

}  // namespace quelvane
