#pragma once

#include <cstdint>

namespace quelvane {

// How long work in the core (listing a member, an export, an extraction) tells how far it is and
// learns that the person waiting has had enough. Work calls `progress` now and then and stops at
// the next safe point once `cancelled` says so, leaving only complete output behind. Called on
// the worker's thread; implementations hand the figures to the window's thread themselves.
class ProgressReporter {
  public:
    virtual ~ProgressReporter() = default;

    // `done` of `total` units (records, members, bytes: the caller says which); total 0 when
    // unknown.
    virtual void progress(std::int64_t done, std::int64_t total) = 0;

    virtual bool cancelled() const = 0;
};

// For callers that want neither figures nor a way to stop.
class NoProgress final : public ProgressReporter {
  public:
    void progress(std::int64_t, std::int64_t) override {}
    bool cancelled() const override { return false; }
};

}  // namespace quelvane
