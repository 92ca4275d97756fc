#pragma once

#include <string>
#include <utility>
#include <vector>

#include "export/ExportFileDialog.h"

namespace quelvane::test {

// An export's file dialog that always answers with one path and one file type (the first unless
// given), keeping the names the export offered it.
class ChosenFile final : public ExportFileDialog {
  public:
    explicit ChosenFile(std::string path, int filterIndex = 1)
        : path_(std::move(path)), filterIndex_(filterIndex) {}
    bool execute(std::string& fileName, int& filterIndex) override {
        presets.push_back(fileName);
        fileName = path_;
        filterIndex = filterIndex_;
        return true;
    }
    void setFileName(const std::string&) override {}

    std::vector<std::string> presets;

  private:
    std::string path_;
    int filterIndex_;
};

}  // namespace quelvane::test
