#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/PcPageWideText.h"

namespace quelvane::test {

// A small reader of the RTF the Word server writes: the font, the colour table and every table
// row with its cell definitions and texts, printed as lines a test compares:
//   font Arial
//   colour 1 224 224 224
//   row fs18 | 3:2600 pat1 | 3:1400 pat1 | NAME | AMOUNT
// (fs: font size in half points; per cell the width kind and width, and the shading colour).
class RtfTableReader {
  public:
    static std::vector<std::string> read(const std::string& rtf) {
        RtfTableReader reader(rtf);
        reader.parse();
        return reader.lines_;
    }

  private:
    explicit RtfTableReader(const std::string& rtf) : rtf_(rtf) {}

    struct CellDefinition {
        long widthType = 0;
        long width = 0;
        long pattern = 0;
    };

    void parse() {
        std::vector<std::string> destinations{""};
        while (at_ < rtf_.size()) {
            const char c = rtf_[at_++];
            if (c == '{') {
                destinations.push_back(destinations.back());
            } else if (c == '}') {
                if (destinations.back() == "fonttbl" && destinations[destinations.size() - 2] != "fonttbl") {
                    lines_.push_back("font " + fontName_);
                }
                destinations.pop_back();
            } else if (c == '\\') {
                controlWord(destinations.back());
            } else if (c != '\n' && c != '\r') {
                if (destinations.back() == "fonttbl") {
                    if (c != ';') {
                        fontName_ += c;
                    }
                } else if (destinations.back() == "colortbl") {
                    if (c == ';') {
                        if (colour_ > 0) {
                            lines_.push_back("colour " + std::to_string(colour_) + " " + rgb_);
                        }
                        ++colour_;
                        rgb_.clear();
                    }
                } else {
                    text_ += static_cast<char16_t>(static_cast<unsigned char>(c));
                }
            }
        }
    }

    void controlWord(std::string& destination) {
        if (!std::isalpha(static_cast<unsigned char>(rtf_[at_]))) {
            text_ += static_cast<char16_t>(rtf_[at_++]);
            return;
        }
        std::string word;
        while (std::isalpha(static_cast<unsigned char>(rtf_[at_]))) {
            word += rtf_[at_++];
        }
        std::string digits;
        while (rtf_[at_] == '-' || std::isdigit(static_cast<unsigned char>(rtf_[at_]))) {
            digits += rtf_[at_++];
        }
        if (rtf_[at_] == ' ') {
            ++at_;
        }
        const long number = digits.empty() ? 0 : std::strtol(digits.c_str(), nullptr, 10);
        if (word == "fonttbl" || word == "colortbl") {
            destination = word;
        } else if (word == "red" || word == "green" || word == "blue") {
            rgb_ += (rgb_.empty() ? "" : " ") + std::to_string(number);
        } else if (word == "fs") {
            fontSize_ = number;
        } else if (word == "trowd") {
            definitions_.clear();
            definition_ = {};
        } else if (word == "clftsWidth") {
            definition_.widthType = number;
        } else if (word == "clwWidth") {
            definition_.width = number;
        } else if (word == "clcbpat") {
            definition_.pattern = number;
        } else if (word == "cellx") {
            definitions_.push_back(definition_);
            definition_ = {};
        } else if (word == "u") {
            text_ += static_cast<char16_t>(number < 0 ? number + 65536 : number);
            ++at_;  // the fallback character
        } else if (word == "tab") {
            text_ += u'\t';
        } else if (word == "line") {
            text_ += u'\n';
        } else if (word == "pard") {
            text_.clear();
        } else if (word == "cell") {
            cells_.push_back(PcPageWideText::toUtf8(text_));
            text_.clear();
        } else if (word == "row") {
            std::string line = "row fs" + std::to_string(fontSize_);
            for (const CellDefinition& d : definitions_) {
                line += " | " + std::to_string(d.widthType) + ":" + std::to_string(d.width);
                if (d.pattern != 0) {
                    line += " pat" + std::to_string(d.pattern);
                }
            }
            for (const std::string& cell : cells_) {
                line += " | " + cell;
            }
            lines_.push_back(line);
            cells_.clear();
        }
    }

    const std::string& rtf_;
    std::size_t at_ = 0;
    std::vector<std::string> lines_;
    std::string fontName_;
    long fontSize_ = 0;
    int colour_ = 0;
    std::string rgb_;
    std::u16string text_;
    CellDefinition definition_;
    std::vector<CellDefinition> definitions_;
    std::vector<std::string> cells_;
};

}  // namespace quelvane::test
