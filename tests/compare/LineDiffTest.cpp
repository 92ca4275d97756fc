#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/LineDiff.h"
#include "compare/UnifiedDiff.h"

namespace quelvane::test {
namespace {

using Lines = std::vector<std::string>;

// The longest common subsequence's length by the textbook table, for small inputs.
std::size_t commonLength(const Lines& a, const Lines& b) {
    std::vector<std::vector<std::size_t>> table(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            table[i][j] =
                a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1 : std::max(table[i - 1][j], table[i][j - 1]);
        }
    }
    return table[a.size()][b.size()];
}

// The script must take every line of both sides once, in order, pair only equal lines, and be
// as short as the longest common subsequence allows.
void expectShortestValidScript(const Lines& a, const Lines& b) {
    const std::vector<LineDiff::Edit> edits = LineDiff::edits(a, b);
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t same = 0;
    for (const LineDiff::Edit& edit : edits) {
        switch (edit.op) {
            case LineDiff::Op::Same:
                ASSERT_EQ(edit.oldLine, static_cast<std::int64_t>(i));
                ASSERT_EQ(edit.newLine, static_cast<std::int64_t>(j));
                ASSERT_EQ(a[i++], b[j++]);
                ++same;
                break;
            case LineDiff::Op::Removed:
                ASSERT_EQ(edit.oldLine, static_cast<std::int64_t>(i++));
                break;
            case LineDiff::Op::Added:
                ASSERT_EQ(edit.newLine, static_cast<std::int64_t>(j++));
                break;
        }
    }
    EXPECT_EQ(i, a.size());
    EXPECT_EQ(j, b.size());
    EXPECT_EQ(same, commonLength(a, b));
}

Lines split(const std::string& text) {
    Lines lines;
    for (char c : text) {
        lines.emplace_back(1, c);
    }
    return lines;
}

TEST(LineDiff, EdgeCasesGiveShortestScripts) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"", "abc"},
        {"abc", ""},
        {"abc", "abc"},
        {"abc", "abxc"},
        {"abxc", "abc"},
        {"abc", "xyz"},
        {"abcabba", "cbabac"},
        {"aaaa", "aa"},
        {"ab", "ba"},
        {"xaxbxcx", "abc"},
        {"abcdefg", "gfedcba"},
        {"aabbaabb", "babababa"},
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(std::string(before) + " -> " + after);
        expectShortestValidScript(split(before), split(after));
    }
}

TEST(LineDiff, RandomPairsOverFewLinesGiveShortestScripts) {
    std::mt19937 random(29);
    for (int round = 0; round < 400; ++round) {
        std::uniform_int_distribution<int> length(0, 40);
        std::uniform_int_distribution<int> letter(0, round % 2 == 0 ? 2 : 6);
        Lines a(static_cast<std::size_t>(length(random)));
        Lines b(static_cast<std::size_t>(length(random)));
        for (std::string& line : a) {
            line = std::string(1, static_cast<char>('a' + letter(random)));
        }
        for (std::string& line : b) {
            line = std::string(1, static_cast<char>('a' + letter(random)));
        }
        SCOPED_TRACE(round);
        expectShortestValidScript(a, b);
    }
}

TEST(LineDiff, LongMemberWithFewChangesCountsEachChange) {
    Lines a;
    for (int i = 0; i < 100000; ++i) {
        a.push_back("     C                   EVAL      X = " + std::to_string(i));
    }
    Lines b = a;
    b[10] = "changed";
    b.erase(b.begin() + 50000);
    b.insert(b.begin() + 90000, {"new one", "new two"});
    const UnifiedDiff diff(a, b);
    EXPECT_EQ(diff.added(), 3);
    EXPECT_EQ(diff.removed(), 2);
    EXPECT_EQ(diff.hunks().size(), 3u);
}

// The hunks as diff -u writes them, for the cases where hunks join, stand apart, or one side is
// empty.
class UnifiedDiffAgainstDiff : public ::testing::Test {
  protected:
    static std::string diffU(const Lines& a, const Lines& b) {
        const std::string dir = ::testing::TempDir();
        const auto write = [](const std::string& path, const Lines& lines) {
            std::ofstream out(path);
            for (const std::string& line : lines) {
                out << line << '\n';
            }
        };
        write(dir + "compare-a.txt", a);
        write(dir + "compare-b.txt", b);
        const std::string command =
            "diff -u '" + dir + "compare-a.txt' '" + dir + "compare-b.txt' | tail -n +3";
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
                out.append(buffer, got);
            }
            ::pclose(pipe);
        }
        return out;
    }
    static std::string ours(const Lines& a, const Lines& b) {
        std::string out;
        const UnifiedDiff diff(a, b);
        for (const UnifiedDiff::Hunk& hunk : diff.hunks()) {
            out += hunk.header + "\n";
            for (const std::string& line : hunk.lines) {
                out += line + "\n";
            }
        }
        return out;
    }
};

TEST_F(UnifiedDiffAgainstDiff, HunksMatchDiff) {
    Lines numbers;
    for (int i = 1; i <= 40; ++i) {
        numbers.push_back("line " + std::to_string(i));
    }
    const auto edited = [&](auto edit) {
        Lines copy = numbers;
        edit(copy);
        return copy;
    };
    const std::vector<Lines> cases = {
        edited([](Lines& l) { l[0] = "first"; }),
        edited([](Lines& l) { l[39] = "last"; }),
        edited([](Lines& l) {
            l[10] = "x";
            l[16] = "y";
        }),
        edited([](Lines& l) {
            l[10] = "x";
            l[17] = "y";
        }),
        edited([](Lines& l) {
            l[10] = "x";
            l[18] = "y";
        }),
        edited([](Lines& l) { l.erase(l.begin() + 5, l.begin() + 9); }),
        edited([](Lines& l) {
            l.insert(l.begin() + 20, {"a", "b"});
        }),
        edited([](Lines& l) { l.clear(); }),
        edited([](Lines& l) { l.push_back("added at the end"); }),
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ours(numbers, cases[i]), diffU(numbers, cases[i]));
    }
    EXPECT_EQ(ours({}, numbers), diffU({}, numbers));
}

}  // namespace
}  // namespace quelvane::test
