#include "threeway/threewaytext.h"

#include "engine/diffengine.h"
#include "engine/fileerror.h"
#include "settingsstore/enginesettings.h"
#include "settingsstore/settingsstore.h"

#include <algorithm>

namespace lindo {

namespace {

constexpr std::string_view kBreak = "\r\n";
constexpr std::string_view kOpenMarker = "<<<<<<<";

bool HasLineEnd(std::string_view line)
{
    return !line.empty() && line.back() == '\n';
}

bool EndsInCrLf(std::string_view line)
{
    return line.size() >= 2 && line.substr(line.size() - 2) == kBreak;
}

} // namespace

std::string ThreeWayText::Read(const std::array<std::string, 3> &paths)
{
    DiffEngine settings;
    LoadEngineSettings(settings, SettingsStore());
    return Read(paths, settings.fallbackEncoding);
}

std::string ThreeWayText::Read(const std::array<std::string, 3> &paths, const std::string &fallback)
{
    for (std::size_t file = 0; file < 3; ++file) {
        if (const int error = ReadMerge3Text(paths[file], m_texts[file], fallback))
            return FileErrorMessage(CauseFromErrno(error), paths[file]);
        m_labels[file] = paths[file];
    }
    Prepare();
    return {};
}

void ThreeWayText::Load(const std::array<std::string_view, 3> &texts, const std::array<std::string, 3> &labels)
{
    for (std::size_t file = 0; file < 3; ++file) {
        m_texts[file].bytes.Assign(texts[file]);
        CutMerge3Lines(m_texts[file]);
    }
    m_labels = labels;
    Prepare();
}

void ThreeWayText::Prepare()
{
    m_crlf = std::all_of(m_texts.begin(), m_texts.end(), [](const Merge3Text &text) {
        return std::all_of(text.lines.begin(), text.lines.end(),
                           [](std::string_view line) { return !HasLineEnd(line) || EndsInCrLf(line); });
    });
    m_merge = Merge3({&m_texts[0], &m_texts[1], &m_texts[2]});
    m_encoding = Merge3Encoding({&m_texts[0], &m_texts[1], &m_texts[2]});
}

std::string_view ThreeWayText::ShownLine(int file, int line) const
{
    std::string_view bytes = m_texts[static_cast<std::size_t>(file)].lines[static_cast<std::size_t>(line)];
    if (HasLineEnd(bytes))
        bytes.remove_suffix(m_crlf ? 2 : 1);
    return bytes;
}

Take ThreeWayText::Automatic(Merge3Kind kind)
{
    switch (kind) {
    case Merge3Kind::FirstOnly:
    case Merge3Kind::BothAlike:
        return Take::First;
    case Merge3Kind::SecondOnly:
        return Take::Second;
    case Merge3Kind::Conflict:
        return Take::Markers;
    case Merge3Kind::Unchanged:
        break;
    }
    return Take::Base;
}

void ThreeWayText::AppendLines(int stretch, int file, std::string &out, int &lineCount) const
{
    const Merge3Stretch &s = Stretch(stretch);
    const auto f = static_cast<std::size_t>(file);
    for (int n = 0; n < s.count[f]; ++n) {
        out += ShownLine(file, s.first[f] + n);
        out += kBreak;
        ++lineCount;
    }
}

std::string ThreeWayText::StretchBytes(int stretch, Take take, bool last, int &lineCount) const
{
    if (take == Take::Markers)
        return MarkerBytes(stretch, lineCount);
    std::string out;
    lineCount = 0;
    int lastFile = kMerge3Base;
    switch (take) {
    case Take::First:
    case Take::Second:
    case Take::Base:
        lastFile = take == Take::First ? kMerge3First : take == Take::Second ? kMerge3Second : kMerge3Base;
        AppendLines(stretch, lastFile, out, lineCount);
        break;
    case Take::FirstThenSecond:
    case Take::SecondThenFirst:
        lastFile = take == Take::FirstThenSecond ? kMerge3Second : kMerge3First;
        AppendLines(stretch, kMerge3Second - lastFile, out, lineCount);
        AppendLines(stretch, lastFile, out, lineCount);
        break;
    case Take::Markers:
        break;
    }
    // The result's last line keeps its file's ending, or the lack of one.
    const Merge3Stretch &s = Stretch(stretch);
    const auto f = static_cast<std::size_t>(lastFile);
    if (last && s.count[f] > 0 && !HasLineEnd(m_texts[f].lines[static_cast<std::size_t>(s.first[f] + s.count[f] - 1)])) {
        out.resize(out.size() - kBreak.size());
    }
    return out;
}

std::string ThreeWayText::MarkerBytes(int stretch, int &lineCount) const
{
    // As the merge writes them, with git's rules for line ends.
    Merge3Result one;
    one.stretches.push_back(Stretch(stretch));
    one.conflicts = 1;
    std::string written;
    WriteMerge3({&m_texts[0], &m_texts[1], &m_texts[2]}, one, {m_labels[0], m_labels[1], m_labels[2]}, false,
                written);
    // Every LF becomes a break of the text area (CR LF); one that ends CR
    // LF already is one where CR LF is the break.
    std::string out;
    lineCount = 0;
    for (std::size_t at = 0; at < written.size(); ++at) {
        if (written[at] == '\n') {
            ++lineCount;
            if (!m_crlf || at == 0 || written[at - 1] != '\r')
                out += '\r';
        }
        out += written[at];
    }
    return out;
}

std::string ThreeWayText::MergedBytes(std::vector<int> &lineCounts) const
{
    std::string out;
    lineCounts.assign(m_merge.stretches.size(), 0);
    // The last stretch that adds lines ends the result.
    int lastFilled = -1;
    for (int stretch = 0; stretch < StretchCount(); ++stretch) {
        int count = 0;
        StretchBytes(stretch, Automatic(Stretch(stretch).kind), false, count);
        if (count > 0)
            lastFilled = stretch;
    }
    for (int stretch = 0; stretch < StretchCount(); ++stretch)
        out += StretchBytes(stretch, Automatic(Stretch(stretch).kind), stretch == lastFilled,
                            lineCounts[static_cast<std::size_t>(stretch)]);
    return out;
}

std::string ThreeWayText::FileBytes(std::string shown, bool *fellBack) const
{
    std::string out;
    if (m_crlf) {
        out = std::move(shown);
    } else {
        out.reserve(shown.size());
        for (std::size_t at = 0; at < shown.size(); ++at) {
            if (shown[at] == '\r' && at + 1 < shown.size() && shown[at + 1] == '\n')
                continue;
            out += shown[at];
        }
    }
    if (m_encoding.IsPlainUtf8())
        return out;
    std::string encoded(BomOf(m_encoding));
    // Typed text may have no place in the encoding: then the text is kept
    // whole, as UTF-8, rather than losing characters.
    const bool encodes = EncodeText(out, m_encoding, encoded);
    if (fellBack)
        *fellBack = !encodes;
    return encodes ? encoded : out;
}

bool ThreeWayText::OpensConflict(std::string_view line)
{
    return line.substr(0, kOpenMarker.size()) == kOpenMarker;
}

} // namespace lindo
