#pragma once

#include <string>

namespace quelvane {

// What the batch export reads and writes of its dialog (`TForm3`, "Pick out files in batch").
class BatchExportDialog {
  public:
    // The texts the batch command puts into the dialog's labels and directory box.
    struct Contents {
        std::string desc;    // part index, hidden
        std::string obj;     // object index, hidden
        std::string lib;     // library name
        std::string pf;      // file name
        std::string memnum;  // member count
        std::string edit1;   // target directory
    };

    // `FileType1` items.
    static constexpr int kTextFile = 0;
    static constexpr int kWordFile = 1;
    static constexpr int kExcelFile = 2;

    virtual ~BatchExportDialog() = default;

    virtual void fill(const Contents& contents) = 0;
    // Shows the dialog without waiting and brings it to the front.
    virtual void showDialog() = 0;
    virtual void closeDialog() = 0;

    virtual std::string desc() const = 0;
    virtual std::string obj() const = 0;
    // `Edit1`: the target directory.
    virtual std::string directory() const = 0;
    virtual int fileType() const = 0;
    virtual void setStatusText(const std::string& text) = 0;
};

}  // namespace quelvane
