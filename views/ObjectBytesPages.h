#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "describe/ObjectData.h"
#include "savefile/BlockSource.h"
#include "views/ViewSession.h"

namespace quelvane {

// An object's stored data as hex-dump lines, read a page at a time: only the page holding the
// line asked for is in memory, so an object of any size can be scrolled through.
class ObjectBytesPages {
  public:
    static constexpr std::int64_t kLinesPerPage = 4096;

    // Over the data of `object` in the save the session shows; without data, failure() says why.
    ObjectBytesPages(ViewSession& session, const SavedObject& object);

    bool available() const { return data_.has_value(); }
    const std::string& failure() const { return failure_; }
    // Bytes of data the file holds, and whether the object claims more than that.
    std::int64_t size() const { return data_ ? data_->size() : 0; }
    bool truncated() const { return data_ && data_->truncated(); }

    std::int64_t lineCount() const;
    // Line `index` (from 0); empty past the last line.
    const std::string& line(std::int64_t index);
    // How many pages were read so far.
    std::int64_t pagesRead() const { return pagesRead_; }

  private:
    EbcdicTextConverter& converter_;
    std::unique_ptr<BlockSource> source_;
    std::optional<ObjectData> data_;
    std::string failure_;
    std::int64_t pageStart_ = -1;
    std::vector<std::string> page_;
    std::int64_t pagesRead_ = 0;
    std::string none_;
};

}  // namespace quelvane
