#include "describe/CommandSource.h"

namespace quelvane {

namespace {

std::string quotedText(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return out + "'";
}

std::string promptText(const std::string& prompt, bool isMessageId) {
    return isMessageId ? prompt : quotedText(prompt);
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : " ") + item;
    }
    return out;
}

std::string mappings(const std::vector<CommandValueMapping>& pairs) {
    std::vector<std::string> items;
    for (const CommandValueMapping& pair : pairs) {
        items.push_back(pair.from == pair.to ? "(" + pair.from + ")" : "(" + pair.from + " " + pair.to + ")");
    }
    return joined(items);
}

class Builder {
  public:
    explicit Builder(const CommandDefinition& command) : command_(command) {}

    std::vector<ClStatement> build() {
        ClStatement cmd{"", "CMD", {}};
        if (!command_.prompt.empty()) {
            cmd.parameters.emplace_back("PROMPT", promptText(command_.prompt, command_.promptIsMessageId));
        }
        out_.push_back(cmd);
        for (const CommandElement& parameter : command_.parameters) {
            std::vector<ClStatement> groups;
            out_.push_back(statement(parameter, "", groups));
            out_.insert(out_.end(), groups.begin(), groups.end());
        }
        out_.insert(out_.end(), controls_.begin(), controls_.end());
        return out_;
    }

  private:
    ClStatement statement(const CommandElement& entry, const std::string& label,
                          std::vector<ClStatement>& groups) {
        static const char* const kCommands[] = {"PARM", "QUAL", "ELEM"};
        ClStatement s{label, kCommands[static_cast<int>(entry.kind)], {}};
        auto add = [&](const char* keyword, const std::string& value) {
            s.parameters.emplace_back(keyword, value);
        };
        if (entry.kind == CommandElement::Kind::Parameter) {
            add("KWD", entry.keyword);
        }
        if (entry.group != CommandElement::Group::None) {
            add("TYPE", groupLabel(entry, groups));
        } else if (entry.type) {
            add("TYPE", *entry.type);
            add("LEN", *entry.type == "*DEC"
                           ? std::to_string(entry.length) + " " + std::to_string(entry.decimals)
                           : std::to_string(entry.length));
        }
        if (entry.restricted) {
            add("RSTD", "*YES");
        }
        if (entry.defaultValue) {
            add("DFT", *entry.defaultValue);
        }
        if (!entry.values.empty()) {
            add("VALUES", joined(entry.values));
        }
        addRelations(entry, s);
        if (!entry.specialValues.empty()) {
            add("SPCVAL", mappings(entry.specialValues));
        }
        if (!entry.singleValues.empty()) {
            add("SNGVAL", mappings(entry.singleValues));
        }
        if (entry.minimum != 0) {
            add("MIN", std::to_string(entry.minimum));
        }
        if (entry.maximum != 1) {
            add("MAX", std::to_string(entry.maximum));
        }
        addFlags(entry, s);
        if (!entry.prompt.empty()) {
            add("PROMPT", promptText(entry.prompt, entry.promptIsMessageId));
        }
        return s;
    }

    static void addRelations(const CommandElement& entry, ClStatement& s) {
        if (entry.range) {
            s.parameters.emplace_back("RANGE", entry.relations[0].value + " " + entry.relations[1].value);
            return;
        }
        for (const CommandRelation& relation : entry.relations) {
            s.parameters.emplace_back("REL", relation.relation + " " + relation.value);
        }
    }

    void addFlags(const CommandElement& entry, ClStatement& s) {
        auto add = [&](const char* keyword, const std::string& value) {
            s.parameters.emplace_back(keyword, value);
        };
        if (entry.expression) {
            add("EXPR", "*YES");
        }
        if (entry.varying) {
            add("VARY", "*YES");
        }
        if (entry.mixedCase) {
            add("CASE", "*MIXED");
        }
        if (entry.hiddenInput) {
            add("DSPINPUT", "*NO");
        }
        if (entry.promptRequest) {
            add("PMTCTL", "*PMTRQS");
        } else if (!entry.promptControls.empty()) {
            std::string label = "P" + std::to_string(++controlCount_);
            add("PMTCTL", label);
            for (const CommandPromptControl& control : entry.promptControls) {
                ClStatement p{&control == &entry.promptControls.front() ? label : "", "PMTCTL", {}};
                p.parameters.emplace_back("CTL", control.controlKeyword);
                std::vector<std::string> conditions;
                for (const CommandRelation& condition : control.conditions) {
                    conditions.push_back("(" + condition.relation + " " + condition.value + ")");
                }
                p.parameters.emplace_back("COND", joined(conditions));
                if (control.numberTrue) {
                    p.parameters.emplace_back("NBRTRUE",
                                              control.numberTrue->relation + " " + control.numberTrue->value);
                }
                controls_.push_back(p);
            }
        }
    }

    std::string groupLabel(const CommandElement& entry, std::vector<ClStatement>& groups) {
        bool qualifiers = entry.group == CommandElement::Group::Qualifiers;
        std::string label =
            (qualifiers ? "Q" : "E") + std::to_string(++(qualifiers ? qualifierCount_ : elementCount_));
        std::vector<ClStatement> nested;
        for (const CommandElement& part : entry.parts) {
            groups.push_back(statement(part, &part == &entry.parts.front() ? label : "", nested));
        }
        groups.insert(groups.end(), nested.begin(), nested.end());
        return label;
    }

    const CommandDefinition& command_;
    std::vector<ClStatement> out_;
    std::vector<ClStatement> controls_;
    int qualifierCount_ = 0;
    int elementCount_ = 0;
    int controlCount_ = 0;
};

void collectNotDecoded(const CommandElement& entry, const std::string& where, std::vector<std::string>& out) {
    if (!entry.type && entry.group == CommandElement::Group::None) {
        out.push_back(where + ": TYPE code " + std::to_string(entry.typeCode) + " not decoded");
    }
    for (const std::string& what : entry.notDecoded) {
        out.push_back(where + ": " + what + " not decoded");
    }
    for (std::size_t i = 0; i < entry.parts.size(); ++i) {
        collectNotDecoded(entry.parts[i], where + " part " + std::to_string(i + 1), out);
    }
}

}  // namespace

std::string CommandSource::qualifiedText(const QualifiedObjectName& name) {
    if (name.library.empty()) {
        return name.name;
    }
    return name.name.empty() ? name.library : name.library + "/" + name.name;
}

std::vector<ClStatement> CommandSource::statements(const CommandDefinition& command) {
    return Builder(command).build();
}

std::vector<std::string> CommandSource::headerComments(const CommandDefinition& command,
                                                       const std::string& name) {
    std::string crtcmd = "CRTCMD CMD(" + name + ")";
    if (!command.program.empty() || !command.program.library.empty()) {
        crtcmd += " PGM(" + qualifiedText(command.program) + ")";
    }
    if (!command.validityChecker.empty()) {
        crtcmd += " VLDCKR(" + qualifiedText(command.validityChecker) + ")";
    }
    if (!command.messageFile.empty()) {
        crtcmd += " MSGF(" + qualifiedText(command.messageFile) + ")";
    }
    if (!command.helpPanelGroup.empty()) {
        crtcmd +=
            " HLPPNLGRP(" + qualifiedText(command.helpPanelGroup) + ") HLPID(" + command.helpIdentifier + ")";
    }
    std::vector<std::string> lines{"/* " + crtcmd + " */"};
    std::vector<std::string> notDecoded;
    for (const CommandElement& parameter : command.parameters) {
        collectNotDecoded(parameter, parameter.keyword, notDecoded);
    }
    for (const std::string& what : notDecoded) {
        lines.push_back("/* " + what + " */");
    }
    return lines;
}

std::vector<std::string> CommandSource::lines(const CommandDefinition& command, const std::string& name) {
    std::vector<std::string> out = headerComments(command, name);
    for (std::string& line : ClSourceText::format(statements(command))) {
        out.push_back(std::move(line));
    }
    return out;
}

}  // namespace quelvane
