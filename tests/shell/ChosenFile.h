#pragma once

#include <string>
#include <utility>
#include <vector>

#include "export/ExportFileDialog.h"

namespace quelvane::test {

// An export's file dialog that always answers with one path and the first file type, keeping the
// names the export offered it.
class ChosenFile final : public ExportFileDialog {
  public:
    explicit ChosenFile(std::string path) : path_(std::move(path)) {}
    bool execute(std::string& fileName, int& filterIndex) override {
        presets.push_back(fileName);
        fileName = path_;
        filterIndex = 1;
        return true;
    }
    void setFileName(const std::string&) override {}

    std::vector<std::string> presets;

  private:
    std::string path_;
};

}  // namespace quelvane::test
