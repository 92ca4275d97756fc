#include "compare/UnifiedDiff.h"

#include <algorithm>

namespace quelvane {

namespace {

std::string range(std::int64_t first, std::int64_t count) {
    const std::int64_t start = count == 0 ? first : first + 1;
    return count == 1 ? std::to_string(start) : std::to_string(start) + "," + std::to_string(count);
}

}  // namespace

UnifiedDiff::UnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    const std::vector<LineDiff::Edit> edits = LineDiff::edits(before, after);
    const auto size = static_cast<std::int64_t>(edits.size());
    std::int64_t at = 0;
    // Where an empty side of a hunk lies: after the lines of that side before the hunk.
    std::int64_t walked = 0;
    std::int64_t oldNext = 0;
    std::int64_t newNext = 0;
    while (at < size) {
        while (at < size && edits[static_cast<std::size_t>(at)].op == LineDiff::Op::Same) {
            ++at;
        }
        if (at == size) {
            break;
        }
        // A hunk runs from kContext lines before its first change to kContext lines after its
        // last, taking in changes closer than twice that.
        const std::int64_t begin = std::max<std::int64_t>(0, at - kContext);
        std::int64_t end = at;
        std::int64_t sameRun = 0;
        while (end < size && sameRun <= 2 * kContext) {
            sameRun = edits[static_cast<std::size_t>(end)].op == LineDiff::Op::Same ? sameRun + 1 : 0;
            ++end;
        }
        end = std::min(size, end - sameRun + std::min(sameRun, kContext));
        Hunk hunk;
        std::int64_t oldFirst = -1;
        std::int64_t newFirst = -1;
        std::int64_t oldCount = 0;
        std::int64_t newCount = 0;
        for (; walked < begin; ++walked) {
            const LineDiff::Edit& e = edits[static_cast<std::size_t>(walked)];
            oldNext = e.op == LineDiff::Op::Added ? oldNext : e.oldLine + 1;
            newNext = e.op == LineDiff::Op::Removed ? newNext : e.newLine + 1;
        }
        for (std::int64_t i = begin; i < end; ++i) {
            const LineDiff::Edit& e = edits[static_cast<std::size_t>(i)];
            if (e.op != LineDiff::Op::Added) {
                oldFirst = oldFirst < 0 ? e.oldLine : oldFirst;
                ++oldCount;
            }
            if (e.op != LineDiff::Op::Removed) {
                newFirst = newFirst < 0 ? e.newLine : newFirst;
                ++newCount;
            }
            switch (e.op) {
                case LineDiff::Op::Same:
                    hunk.lines.push_back(" " + before[static_cast<std::size_t>(e.oldLine)]);
                    break;
                case LineDiff::Op::Removed:
                    hunk.lines.push_back("-" + before[static_cast<std::size_t>(e.oldLine)]);
                    ++removed_;
                    break;
                case LineDiff::Op::Added:
                    hunk.lines.push_back("+" + after[static_cast<std::size_t>(e.newLine)]);
                    ++added_;
                    break;
            }
        }
        hunk.header = "@@ -" + range(oldFirst < 0 ? oldNext : oldFirst, oldCount) + " +" +
                      range(newFirst < 0 ? newNext : newFirst, newCount) + " @@";
        hunks_.push_back(std::move(hunk));
        at = end;
    }
}

}  // namespace quelvane
