#pragma once

#include <cstdint>
#include <string>

#include "export/ExportFormat.h"
#include "savefile/Catalog.h"

namespace quelvane {

// What the batch export reads and writes of its dialog (`BatchExportDialog`, "Pick out files in batch").
class BatchExportTarget {
  public:
    // The texts the batch command puts into the dialog's labels and directory box.
    struct Contents {
        ObjectRef file;  // shown in the hidden labels, read back by the run as it was filled
        std::string libraryName;
        std::string fileName;
        std::string memberCount;
        std::string directory;  // the target directory box
    };

    // The formats of the `FileType1` items, in their order.
    static constexpr ExportFormat kTextFile = ExportFormat::Text;
    static constexpr ExportFormat kWordFile = ExportFormat::Word;
    static constexpr ExportFormat kExcelFile = ExportFormat::Excel;

    virtual ~BatchExportTarget() = default;

    virtual void fill(const Contents& contents) = 0;
    // Shows the dialog without waiting and brings it to the front.
    virtual void showDialog() = 0;
    virtual void closeDialog() = 0;

    // The file the dialog was filled with.
    virtual ObjectRef chosenFile() const = 0;
    // `Edit1`: the target directory.
    virtual std::string directory() const = 0;
    virtual ExportFormat fileType() const = 0;
    virtual void setStatusText(const std::string& text) = 0;

    // A run's progress: `done` of `total` members written. Shown from the first call until
    // endProgress.
    virtual void showProgress(std::int32_t /*done*/, std::int32_t /*total*/) {}
    virtual void endProgress() {}
    // Asked before each member and now and then within one; true ends the run.
    virtual bool cancelRequested() { return false; }
};

}  // namespace quelvane
