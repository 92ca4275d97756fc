#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compare/ComparedSide.h"
#include "compare/SaveComparison.h"
#include "savefile/ProgressReporter.h"

namespace quelvane {

// Compares two saves: their details, their objects matched by library, name and type (or their
// integrated-file-system entries by path), and within matched objects what each kind holds. Only
// the catalogs are held; stored data is compared by digest, read as a stream, and only data whose
// digests differ is read again for lines or records.
class SaveComparer {
  public:
    struct Options {
        // Source members' sequence numbers and dates are compared too.
        bool withDates = false;
        // Hears how many of the after save's objects have been compared, of how many; the
        // comparison itself is not stopped by it (a page ends the worker running it instead).
        ProgressReporter* progress = nullptr;
    };

    SaveComparer(const ComparedSave& before, const ComparedSave& after, Options options);

    // `beforeName` and `afterName` name the saves in the report.
    SaveComparison run(const std::string& beforeName, const std::string& afterName);

  private:
    // An object's node in the before save and in the after save.
    struct NodePair {
        std::string before;
        std::string after;
    };

    void compareSaves(SaveComparison& out);
    void compareObjects(SaveComparison& out);
    std::optional<ObjectComparison> compareObject(const SavedObject& oldObject, const SavedObject& newObject,
                                                  const std::string& library, const NodePair& nodes);
    void compareMembers(const SavedObject& oldObject, const SavedObject& newObject, const NodePair& nodes,
                        ObjectComparison& out);

    ComparedSide before_;
    ComparedSide after_;
    Options options_;
};

}  // namespace quelvane
