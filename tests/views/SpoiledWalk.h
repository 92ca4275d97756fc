#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "savefile/Catalog.h"
#include "savefile/ParseReport.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/ReadBoundsSource.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/views/ShowEveryNode.h"

namespace quelvane::test {

// How a damaged save fared: what the parse reported, what it and the views read, and what the
// catalog holds.
struct SpoiledWalk {
    int result = 0;
    ParseReport report;
    ReadBounds parse;
    ReadBounds views;
    std::size_t objects = 0;
    bool rejectionSaid = false;
};

// Opens `bytes` as a save file and, when it is taken, clicks every node of its tree, each read
// entered in the walk's bounds.
inline SpoiledWalk walkSpoiledSave(std::span<const std::uint8_t> bytes, std::int64_t rowBudget = 4000000) {
    SpoiledWalk walk;
    Cp037Converter converter;
    RecordingNotifier notifier;
    Catalog catalog;
    catalog.path = "SPOILED.SAVF";
    auto parseBounds = std::make_shared<ReadBounds>();
    ReadBoundsSource source(bytes, parseBounds);
    SaveFileReader reader(catalog, converter, notifier);
    walk.result = reader.parseSaveFile(catalog.path, source).accepted ? 0 : -1;
    walk.report = reader.report();
    walk.parse = *parseBounds;
    for (const std::string& text : notifier.texts()) {
        walk.rejectionSaid = walk.rejectionSaid || text.find("is not save file format") != std::string::npos;
    }
    for (const SavedPart& part : catalog.parts) {
        walk.objects += part.library.objects.size();
    }
    if (walk.result == 0) {
        auto viewBounds = std::make_shared<ReadBounds>();
        showEveryNode(
            catalog, converter,
            [&](const std::string&) { return std::make_unique<ReadBoundsSource>(bytes, viewBounds); },
            rowBudget);
        walk.views = *viewBounds;
    }
    return walk;
}

// What holds of any damaged save: it is taken, with where and why its walk stopped, or rejected
// with its message and nothing listed; no read asks for bytes outside the file, and the parse
// reads the file at most `rereads` times over.
inline void expectSoundOutcome(const SpoiledWalk& walk, std::int64_t fileSize, std::int64_t rereads) {
    EXPECT_EQ(walk.result == 0, walk.report.accepted);
    if (walk.report.accepted) {
        EXPECT_NE(walk.report.stop, ParseReport::Stop::NotRead);
        EXPECT_NE(walk.report.stop, ParseReport::Stop::NotASaveFile);
        EXPECT_GE(walk.report.block, -1) << walk.report.text();
        EXPECT_FALSE(walk.report.text().empty());
    } else {
        EXPECT_EQ(walk.report.stop, ParseReport::Stop::NotASaveFile);
        EXPECT_TRUE(walk.rejectionSaid);
        EXPECT_EQ(walk.objects, 0u);
    }
    EXPECT_TRUE(walk.parse.withinFile()) << walk.parse.badRequests << " reads outside the file";
    EXPECT_TRUE(walk.views.withinFile()) << walk.views.badRequests << " reads outside the file";
    EXPECT_LE(walk.parse.bytesRead, rereads * fileSize) << walk.parse.reads << " reads";
}

}  // namespace quelvane::test
