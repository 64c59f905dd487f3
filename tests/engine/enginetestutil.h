#pragma once

// Turns the real engine's state into the reference's plain records, so tests
// can compare the two, or compare either with expectations written by hand.

#include "engine/diffengine.h"
#include "referenceengine.h"
#include "support/testfiles.h"

#include <sstream>
#include <string>
#include <vector>

namespace lindo::test {

inline std::vector<reference::Section> SectionsOf(const DiffEngine &engine, int side)
{
    std::vector<reference::Section> out;
    for (const DiffSection &s : engine.Sections(side))
        out.push_back(reference::Section{side, s.first, s.last, s.partner, s.above, s.flags});
    return out;
}

inline std::vector<int> LinksOf(const DiffEngine &engine, int side)
{
    std::vector<int> links;
    for (const DiffLine &line : engine.Lines(side))
        links.push_back(line.link);
    return links;
}

inline std::string MergeOf(DiffEngine &engine)
{
    engine.BuildMergeList();
    std::ostringstream out;
    engine.WriteMergeText(out);
    return out.str();
}

// Lines joined with LF, each followed by one.
inline std::string Text(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

// Lines joined with CR LF, each followed by one: the merge output of files with CR LF.
inline std::string CrLf(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// A compact picture of a side's sections: "first-last:status partner above [S]" per section.
inline std::string Describe(const DiffEngine &engine, int side)
{
    std::string out;
    for (const DiffSection &s : engine.Sections(side)) {
        if (!out.empty())
            out += " | ";
        out += std::to_string(s.first) + "-" + std::to_string(s.last) + ":";
        switch (StatusOf(s)) {
        case SectionStatus::Matching:
            out += "M";
            break;
        case SectionStatus::Different:
            out += "D";
            break;
        case SectionStatus::OnlyInThisFile:
            out += "O";
            break;
        case SectionStatus::None:
            out += "N";
            break;
        }
        out += " p" + std::to_string(s.partner) + " a" + std::to_string(s.above);
        if (s.IsSelected())
            out += " S";
    }
    return out;
}

} // namespace lindo::test
