#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/CatalogTree.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/support/SaveFileBuilder.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/VersionSummaryView.h"

namespace quelvane::test {

// What the main window does with the node content display's requests, kept for tests.
class RecordingTarget final : public NodeContentTarget {
  public:
    explicit RecordingTarget(MemoryContentList& list, const Catalog& catalog)
        : list_(list), catalog_(catalog) {}

    void refreshTitle() override { ++titleRefreshes; }
    void setNodeTitle(const std::string& text) override { label1 = text; }
    void setNodeSummary(const std::string& text) override { label2 = text; }
    void enableExport(bool enabled) override { exportEnabled = enabled; }
    void enableBatch(bool enabled) override { batchEnabled = enabled; }
    void showVersion() override {
        ++summaries;
        showVersionSummary(list_, catalog_.header);
    }

    void reset() {
        label1.clear();
        label2.clear();
        exportEnabled = true;
        batchEnabled = true;
        titleRefreshes = 0;
        summaries = 0;
    }

    std::string label1;
    std::string label2;
    bool exportEnabled = true;
    bool batchEnabled = true;
    int titleRefreshes = 0;
    int summaries = 0;

  private:
    MemoryContentList& list_;
    const Catalog& catalog_;
};

// A program run's worth of view state over a save file built in memory: the reader fills the
// catalog, every display reads the same bytes back.
struct ViewsFixture {
    ViewsFixture() {
        session.openSource = [this](const std::string&) {
            return std::make_unique<MemoryBlockSource>(bytes);
        };
    }

    int open(std::vector<std::uint8_t> fileBytes) {
        bytes = std::move(fileBytes);
        catalog.segments.reset();
        catalog.path = "TEST.SAVF";
        session.shownMember.resetForOpen();
        MemoryBlockSource source(bytes);
        SaveFileReader reader(catalog, converter, notifier);
        int result = reader.parseSaveFile(catalog.path, source).accepted ? 0 : -1;
        if (result == 0) {
            buildCatalogTree(catalog);
        }
        return result;
    }
    int open(const SaveFileBuilder& builder) { return open(builder.build().bytes()); }

    ViewOutcome show(int level, std::int32_t index = 0, std::int32_t parent = 0,
                     std::int32_t grandparent = 0) {
        return showNodeContent(session, target, NodePosition{level, index, parent, grandparent});
    }
    ViewOutcome showMember(std::int32_t part, std::int32_t object, std::int32_t member) {
        return show(3, member, object, part);
    }
    ViewOutcome showObject(std::int32_t part, std::int32_t object) { return show(2, object, part); }

    // The list as text: one line per column ("caption|width|L or R"), then one line per row, the
    // row caption and its cells joined by "|", with "-" in front of a row carrying image 1.
    std::vector<std::string> columns() const {
        std::vector<std::string> out;
        for (int c = 0; c < list.columnCount(); ++c) {
            const auto& column = list.column(c);
            out.push_back(column.caption + "|" + std::to_string(column.width) + "|" +
                          (column.alignment == ContentList::Alignment::Right ? "R" : "L"));
        }
        return out;
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (std::int64_t r = 0; r < list.rowCount(); ++r) {
            std::string line = list.rowImage(r) == 1 ? "-" : "";
            line += list.rowCaption(r);
            for (int c = 0; c < list.cellCount(r); ++c) {
                line += "|";
                line += list.cellText(r, c);
            }
            out.push_back(line);
        }
        return out;
    }

    std::vector<std::uint8_t> bytes;
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    MemoryContentList list;
    RecordingTarget target{list, catalog};
    ViewSession session{catalog, converter, notifier, list};
};

}  // namespace quelvane::test
