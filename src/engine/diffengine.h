#pragma once

// The single object that knows a two-file comparison: both sides' lines and
// sections, the merge list, the display options and colours, and two small
// services hosted for the folder comparison. Everything is indexed by side
// number 1 or 2.
//
// Use: Load(path1, path2), and only when it returns true, Compare(). Then read
// Lines/Sections, toggle Selected bits, BuildMergeList() and write the merge.

#include "engine/bytebuffer.h"
#include "engine/difftypes.h"
#include "engine/fileerror.h"
#include "engine/linekey.h"
#include "engine/textencoding.h"
#include "engine/textreader.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lindo {

// How a loaded file's text is written: what the merge needs to write it the
// same way, and what the window tells about it.
struct TextForm {
    TextEncoding encoding;
    LineEnds lineEnds;
    bool nonAscii = false; // the text holds more than ASCII
};

// For two files whose lines hold the same text: what sets their bytes apart.
struct SurfaceDifference {
    bool encoding = false;
    bool lineEnds = false;
    bool Any() const { return encoding || lineEnds; }
};

class MatchScratch;
class CycleTracker;
struct LineRun;
struct RunPair;

class DiffEngine {
public:
    DiffEngine();
    ~DiffEngine();
    DiffEngine(const DiffEngine &) = delete;
    DiffEngine &operator=(const DiffEngine &) = delete;

    // Failures of Load and WriteMergeFile go here; not owned, may be null.
    void SetReporter(FileErrorReporter *reporter) { m_reporter = reporter; }

    // Reads both files. On success replaces both line lists and empties both
    // section lists; on any failure reports it and keeps everything as it was.
    bool Load(const std::string &path1, const std::string &path2);

    // The same as a successful Load, from two byte texts read exactly as files are.
    void LoadTexts(std::string_view bytes1, std::string_view bytes2);

    // Links lines and cuts sections; expects freshly loaded lines.
    void Compare();

    // Section of `side` holding `line`, -1 for none.
    int SectionOfLine(int side, int line) const;

    void AutoSelect();
    void BuildMergeList();

    // The section's lines, each followed by CR LF (crlf) or LF alone.
    static std::string SectionText(const DiffSection &section, bool crlf);

    // The merge output's line end: CR LF when either file has one, else LF.
    bool MergeUsesCrLf() const;
    // The merge output's encoding: the files' own when they share one; when
    // only one holds text outside ASCII, that one's; when both do, UTF-8.
    // Two ASCII texts in different encodings are written as the first.
    TextEncoding MergeEncoding() const;

    // Appends the merge output, as a file holds it, to the stream.
    void WriteMergeText(std::ostream &stream) const;
    // The same lines as UTF-8 without a BOM, each ended by CR LF (crlf) or
    // LF: the merge's text.
    void WriteMergeTextAsUtf8(std::ostream &stream, bool crlf) const;

    // Writes the merge output to a file; false after reporting a failure.
    // The target is replaced only once everything was written.
    bool WriteMergeFile(const std::string &path);

    void SetExceptionStrings(std::string_view text);
    std::string GetExceptionStringsText() const;

    const DiffLines &Lines(int side) const { return File(side).lines; }
    const std::vector<DiffSection> &Sections(int side) const { return File(side).sections; }
    // The views toggle the Selected bit; nothing else changes through this.
    std::vector<DiffSection> &Sections(int side) { return File(side).sections; }
    const std::vector<DiffSection> &MergeList() const { return m_mergeList; }
    bool IsCompared() const { return m_compared != 0; }
    // Goes up by one with every pair of texts loaded, so that what a caller
    // worked out from the lines can tell whether they are still the same.
    std::uint64_t LoadCount() const { return m_loadCount; }

    // Options and colours, edited by the settings pages.
    std::vector<std::string> exceptionStrings;
    std::int32_t showSelections = 1;
    std::int32_t autoSelect = 1;
    std::string mergeDirectory;
    std::int32_t exceptionStringsEnabled = 1;
    // Which lines count as equal: read by Load and LoadTexts, so a change
    // takes effect with the next load. All off compares bytes.
    LineKeyOptions keyOptions;
    // The options the lines on hand were loaded with. Whatever reads the
    // loaded comparison reads these, not keyOptions: a change of those, or a
    // load that fails, leaves the comparison as it was made.
    const LineKeyOptions &LoadedKeyOptions() const { return m_loadedKeyOptions; }
    // The encoding files are read in when they are neither UTF-8 nor carry a
    // BOM; a name FallbackName gives. Read by Load, as keyOptions are.
    std::string fallbackEncoding = kDefaultFallbackEncoding;
    // How each loaded file's text was written.
    const TextForm &LoadedForm(int side) const { return m_forms[side == 1 ? 0 : 1]; }
    // When the two loaded files hold the same lines (compared as they are,
    // whatever the key options) but not the same bytes, what differs.
    SurfaceDifference LoadedDifference() const;
    // The panes tint the characters that differ within paired differing lines.
    std::int32_t showLineChanges = 0;
    Colour colorIdentical = 0;
    Colour colorDifferent = 0;
    Colour colorInserted = 0;
    static constexpr Colour defaultColorDifferent = MakeColour(170, 0, 0);
    static constexpr Colour defaultColorIdentical = MakeColour(0, 0, 0);
    static constexpr Colour defaultColorInserted = MakeColour(255, 0, 0);

    // From this size of the second file on, Load keeps only the second
    // file's lines that the first lacks in memory, at the price of cutting
    // the two files one after the other. Changes no result.
    static constexpr std::size_t kCompactSecondFrom = std::size_t{8} << 20;
    std::size_t compactSecondFrom = kCompactSecondFrom;

    // From this many lines of the first file on, their tags are made half on
    // each of two threads. Changes no result.
    static constexpr std::size_t kTagThreadFrom = std::size_t{1} << 14;
    std::size_t tagThreadFrom = kTagThreadFrom;

    // After this many whole cycles, a comparison still making links goes on
    // with cycles that look only at what the cycle before changed. Changes
    // no result.
    static constexpr int kWholeCycles = 3;
    int wholeCycles = kWholeCycles;

private:
    DiffFile &File(int side) { return m_files[side == 1 ? 0 : 1]; }
    const DiffFile &File(int side) const { return m_files[side == 1 ? 0 : 1]; }
    DiffLines &Lines1() { return m_files[0].lines; }
    DiffLines &Lines2() { return m_files[1].lines; }

    // Cuts both buffers into lines (but for a side whose cut is true: its
    // lines are cut already, untagged), tags side 1's lines by their keys
    // under options and interns both by key; on success the engine takes them
    // over, loaded with options. Leaves the engine unchanged when it throws.
    // With sameBytes, both sides are cut from the first buffer.
    void Prepare(std::array<ByteBuffer, 2> &buffers, bool sameBytes, std::array<DiffLines, 2> &lines,
                 std::array<bool, 2> cut, const std::array<TextForm, 2> &forms, const LineKeyOptions &options);
    void Report(const std::string &message);

    // Matching steps, in the order Compare runs them.
    void LinkTwins();
    bool LinkLines(int i, int j);
    bool Extend(int i, int j);
    bool MatchRange(const DiffSection &range1, const DiffSection &range2);
    static int MatchedRunEnd(const DiffLines &lines, int a);
    static int UnmatchedRunEnd(const DiffLines &lines, int a);
    static void BuildSections(std::vector<DiffSection> &list, int side, const DiffLines &lines);
    bool LinkSections(std::vector<DiffSection> &list1, std::vector<DiffSection> &list2);
    // The same steps for a comparison that keeps needing cycles: each cycle
    // looks only at the texts and runs that the links of the one before
    // touched, and makes exactly the links a whole cycle would.
    bool TrackedCycle();
    bool LinkNewlyUnique();
    bool LinkChangedPairs();
    bool LeadingPair(RunPair &pair) const;
    void PairsBesideRecentLinks();
    bool MatchRuns(const LineRun &run1, const LineRun &run2);
    bool ExtendAnchors(std::vector<std::pair<int, int>> &anchors);

    void TakeSection(const std::vector<DiffSection> &list, int &x, int offset);

    std::array<DiffFile, 2> m_files;
    std::array<ByteBuffer, 2> m_buffers; // the bytes the line texts view
    std::uint32_t m_textIdCount = 0;            // distinct line texts of the loaded pair
    // The loaded sides are the same bytes, or with options the same keys
    // line for line: Compare links every line to its twin.
    bool m_twinLines = false;
    std::vector<DiffSection> m_mergeList;
    std::int32_t m_compared = 0;
    std::uint64_t m_loadCount = 0;
    LineKeyOptions m_loadedKeyOptions;
    std::array<TextForm, 2> m_forms;
    bool m_sameText = false; // the decoded texts are the same: side 2's buffer is empty
    FileErrorReporter *m_reporter = nullptr;
    MatchScratch *m_scratch = nullptr; // only while Compare runs
    CycleTracker *m_tracker = nullptr; // only while Compare runs tracked cycles
};

} // namespace lindo
