#pragma once

// The three files of a three-way merge, their merge, and the bytes of the
// result as the editable text holds them.
//
// The text area keeps lines joined by CR LF. Where every line of the three
// files ends in CR LF, that is how they are shown; otherwise a line's own LF
// is the break, a CR before it stays a byte of the line, and every CR LF
// break becomes an LF again on the way out. Either way the bytes written are
// the lines' own, encoded as Merge3Encoding says.

#include "engine/merge3.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

// What a stretch of the result holds.
enum class Take : std::uint8_t {
    First,           // FILE1's lines
    Second,          // FILE2's lines
    FirstThenSecond, // FILE1's, then FILE2's
    SecondThenFirst, // FILE2's, then FILE1's
    Base,            // BASE's lines
    Markers,         // both sides between conflict markers, as git writes them
};

class ThreeWayText {
public:
    // Reads the three files (FILE1, BASE, FILE2) and merges them; the
    // message for the first that cannot be read, or nothing. Files neither
    // UTF-8 nor marked by a BOM are read in fallback; without it, in the
    // stored fallback encoding, as the two-file window reads them.
    std::string Read(const std::array<std::string, 3> &paths);
    std::string Read(const std::array<std::string, 3> &paths, const std::string &fallback);
    // Merges three texts held in memory; the labels are the names shown.
    void Load(const std::array<std::string_view, 3> &texts, const std::array<std::string, 3> &labels);

    const Merge3Result &Merge() const { return m_merge; }
    const Merge3Stretch &Stretch(int stretch) const { return m_merge.stretches[static_cast<std::size_t>(stretch)]; }
    int StretchCount() const { return static_cast<int>(m_merge.stretches.size()); }
    const std::string &Label(int file) const { return m_labels[static_cast<std::size_t>(file)]; }
    int LineCount(int file) const { return static_cast<int>(m_texts[static_cast<std::size_t>(file)].lines.size()); }
    // A line of one file without its line end.
    std::string_view ShownLine(int file, int line) const;

    // What the merge takes for a stretch by itself.
    static Take Automatic(Merge3Kind kind);
    // The stretch's bytes in the result as `take` makes them, each line
    // ended by CR LF but the last line of the result (`last`), which keeps
    // its file's ending; and how many lines they hold.
    std::string StretchBytes(int stretch, Take take, bool last, int &lineCount) const;
    // The whole result as the merge takes it, and each stretch's line count.
    std::string MergedBytes(std::vector<int> &lineCounts) const;
    // The bytes to write for the text area's bytes, in the merge's
    // encoding; as UTF-8 when the text holds a character the encoding has
    // no place for, and then fellBack, when given, is set.
    std::string FileBytes(std::string shown, bool *fellBack = nullptr) const;
    // The encoding the result is written in.
    const TextEncoding &Encoding() const { return m_encoding; }

    // Whether a result line opens conflict markers.
    static bool OpensConflict(std::string_view line);

private:
    void Prepare();
    void AppendLines(int stretch, int file, std::string &out, int &lineCount) const;
    std::string MarkerBytes(int stretch, int &lineCount) const;

    std::array<Merge3Text, 3> m_texts;
    std::array<std::string, 3> m_labels;
    Merge3Result m_merge;
    TextEncoding m_encoding;
    bool m_crlf = false; // every line of the three ends in CR LF
};

} // namespace lindo
