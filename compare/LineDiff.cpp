#include "compare/LineDiff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace quelvane {

namespace {

struct Split {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// The search over the lines both sides share; marks what it removes and adds.
class MiddleSnakeSearch {
  public:
    MiddleSnakeSearch(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b,
                      std::vector<bool>& removed, std::vector<bool>& added)
        : a_(a), b_(b), removed_(removed), added_(added) {
        const std::int64_t most = (static_cast<std::int64_t>(a.size() + b.size()) + 1) / 2 + 2;
        offset_ = most;
        forward_.assign(static_cast<std::size_t>(2 * most + 3), 0);
        backward_.assign(static_cast<std::size_t>(2 * most + 3), 0);
    }

    void run(std::int64_t aLo, std::int64_t aHi, std::int64_t bLo, std::int64_t bHi) {
        while (aLo < aHi && bLo < bHi && a_[aLo] == b_[bLo]) {
            ++aLo;
            ++bLo;
        }
        while (aLo < aHi && bLo < bHi && a_[aHi - 1] == b_[bHi - 1]) {
            --aHi;
            --bHi;
        }
        if (aLo == aHi || bLo == bHi) {
            markAll(aLo, aHi, bLo, bHi);
            return;
        }
        const Split split = middle(aLo, aHi, bLo, bHi);
        const std::int64_t n = aHi - aLo;
        const std::int64_t m = bHi - bLo;
        if ((split.x == 0 && split.y == 0) || (split.x == n && split.y == m)) {
            markAll(aLo, aHi, bLo, bHi);
            return;
        }
        run(aLo, aLo + split.x, bLo, bLo + split.y);
        run(aLo + split.x, aHi, bLo + split.y, bHi);
    }

  private:
    void markAll(std::int64_t aLo, std::int64_t aHi, std::int64_t bLo, std::int64_t bHi) {
        for (std::int64_t i = aLo; i < aHi; ++i) {
            removed_[static_cast<std::size_t>(i)] = true;
        }
        for (std::int64_t j = bLo; j < bHi; ++j) {
            added_[static_cast<std::size_t>(j)] = true;
        }
    }

    std::int64_t& f(std::int64_t k) { return forward_[static_cast<std::size_t>(k + offset_)]; }
    std::int64_t& r(std::int64_t k) { return backward_[static_cast<std::size_t>(k + offset_)]; }

    // A point on a shortest path through the part: where the paths from both ends meet, or,
    // past the cost limit, the furthest the forward paths reached.
    Split middle(std::int64_t aLo, std::int64_t aHi, std::int64_t bLo, std::int64_t bHi) {
        const std::int64_t n = aHi - aLo;
        const std::int64_t m = bHi - bLo;
        const std::int64_t delta = n - m;
        const bool odd = (delta & 1) != 0;
        const std::int64_t most = (n + m + 1) / 2;
        f(1) = 0;
        r(1) = 0;
        for (std::int64_t d = 0; d <= most; ++d) {
            Split furthest;
            for (std::int64_t k = -d; k <= d; k += 2) {
                std::int64_t x = (k == -d || (k != d && f(k - 1) < f(k + 1))) ? f(k + 1) : f(k - 1) + 1;
                std::int64_t y = x - k;
                while (x < n && y < m && a_[aLo + x] == b_[bLo + y]) {
                    ++x;
                    ++y;
                }
                f(k) = x;
                if (x + y > furthest.x + furthest.y) {
                    furthest = {x, y};
                }
                const std::int64_t back = delta - k;
                if (odd && back >= -(d - 1) && back <= d - 1 && x + r(back) >= n) {
                    return {x, y};
                }
            }
            for (std::int64_t k = -d; k <= d; k += 2) {
                std::int64_t x = (k == -d || (k != d && r(k - 1) < r(k + 1))) ? r(k + 1) : r(k - 1) + 1;
                std::int64_t y = x - k;
                while (x < n && y < m && a_[aHi - 1 - x] == b_[bHi - 1 - y]) {
                    ++x;
                    ++y;
                }
                r(k) = x;
                const std::int64_t ahead = delta - k;
                if (!odd && ahead >= -d && ahead <= d && x + f(ahead) >= n) {
                    return {n - x, m - y};
                }
            }
            if (d >= LineDiff::kCostLimit) {
                return furthest;
            }
        }
        return {n, m};
    }

    const std::vector<std::int64_t>& a_;
    const std::vector<std::int64_t>& b_;
    std::vector<bool>& removed_;
    std::vector<bool>& added_;
    std::vector<std::int64_t> forward_;
    std::vector<std::int64_t> backward_;
    std::int64_t offset_ = 0;
};

// The lines of `from` that occur in `other`, as indices into `from`.
std::vector<std::int64_t> sharedLines(const std::vector<std::int64_t>& from,
                                      const std::vector<std::int64_t>& other) {
    // Line numbers are dense (0 to the count of distinct lines), so a table of flags serves.
    std::int64_t most = 0;
    for (std::int64_t line : from) {
        most = std::max(most, line + 1);
    }
    std::vector<bool> present(static_cast<std::size_t>(most), false);
    for (std::int64_t line : other) {
        if (line >= 0 && line < most) {
            present[static_cast<std::size_t>(line)] = true;
        }
    }
    std::vector<std::int64_t> kept;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (from[i] >= 0 && present[static_cast<std::size_t>(from[i])]) {
            kept.push_back(static_cast<std::int64_t>(i));
        }
    }
    return kept;
}

std::vector<std::int64_t> picked(const std::vector<std::int64_t>& lines,
                                 const std::vector<std::int64_t>& indices) {
    std::vector<std::int64_t> out;
    out.reserve(indices.size());
    for (std::int64_t i : indices) {
        out.push_back(lines[static_cast<std::size_t>(i)]);
    }
    return out;
}

// The script over lines numbered densely from 0: equal texts, equal numbers.
std::vector<LineDiff::Edit> numberedEdits(const std::vector<std::int64_t>& before,
                                          const std::vector<std::int64_t>& after) {
    const std::vector<std::int64_t> keptA = sharedLines(before, after);
    const std::vector<std::int64_t> keptB = sharedLines(after, before);
    const std::vector<std::int64_t> a = picked(before, keptA);
    const std::vector<std::int64_t> b = picked(after, keptB);
    std::vector<bool> removedKept(a.size(), false);
    std::vector<bool> addedKept(b.size(), false);
    MiddleSnakeSearch(a, b, removedKept, addedKept)
        .run(0, static_cast<std::int64_t>(a.size()), 0, static_cast<std::int64_t>(b.size()));

    std::vector<bool> removed(before.size(), true);
    std::vector<bool> added(after.size(), true);
    for (std::size_t i = 0; i < keptA.size(); ++i) {
        removed[static_cast<std::size_t>(keptA[i])] = removedKept[i];
    }
    for (std::size_t j = 0; j < keptB.size(); ++j) {
        added[static_cast<std::size_t>(keptB[j])] = addedKept[j];
    }
    std::vector<LineDiff::Edit> out;
    out.reserve(before.size() + after.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.size() || j < after.size()) {
        if (i < before.size() && removed[i]) {
            out.push_back({LineDiff::Op::Removed, static_cast<std::int64_t>(i++), 0});
        } else if (j < after.size() && added[j]) {
            out.push_back({LineDiff::Op::Added, 0, static_cast<std::int64_t>(j++)});
        } else if (i < before.size() && j < after.size()) {
            out.push_back(
                {LineDiff::Op::Same, static_cast<std::int64_t>(i++), static_cast<std::int64_t>(j++)});
        } else {
            break;
        }
    }
    return out;
}

}  // namespace

std::vector<LineDiff::Edit> LineDiff::edits(const std::vector<std::string>& before,
                                            const std::vector<std::string>& after) {
    std::unordered_map<std::string_view, std::int64_t> numbers;
    numbers.reserve(before.size() + after.size());
    const auto number = [&numbers](const std::vector<std::string>& lines) {
        std::vector<std::int64_t> out;
        out.reserve(lines.size());
        for (const std::string& line : lines) {
            out.push_back(numbers.emplace(std::string_view(line), static_cast<std::int64_t>(numbers.size()))
                              .first->second);
        }
        return out;
    };
    const std::vector<std::int64_t> a = number(before);
    const std::vector<std::int64_t> b = number(after);
    return numberedEdits(a, b);
}

}  // namespace quelvane
