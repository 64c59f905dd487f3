#include "merge/mergedtextcells.h"

#include <algorithm>
#include <cstring>

namespace lindo {

namespace {

// Lines at least this long keep landmarks, one every kLandmarkStep bytes.
constexpr std::size_t kLandmarkLineBytes = 4096;
constexpr std::size_t kLandmarkStep = 2048;
// Longer lines without a tab count one cell per byte for the scroll range,
// rather than being read whole after every edit.
constexpr std::size_t kCountedLineBytes = 64 * 1024;

} // namespace

void MergedTextCells::SetTabCells(int cells)
{
    m_tabCells = cells;
    m_landmarks.clear();
}

MergedTextCells::Mark MergedTextCells::WalkTo(const std::string &bytes, Mark from, std::size_t stop) const
{
    return CharacterAtOrAfter(bytes, from, std::min(stop, bytes.size()), m_tabCells);
}

MergedTextCells::Mark MergedTextCells::LandmarkBefore(int line, std::size_t column, qint64 cell) const
{
    const std::string &bytes = m_text.Line(line);
    if (bytes.size() < kLandmarkLineBytes)
        return {0, 0};
    ColumnIndex &marks = m_landmarks.try_emplace(line, kLandmarkStep).first->second;
    const auto walk = [&](Mark from, std::size_t stop) { return WalkTo(bytes, from, stop); };
    return cell < 0 ? marks.ByByte(column, bytes.size(), walk) : marks.ByCell(cell, bytes.size(), walk);
}

void MergedTextCells::Forget(int line, std::size_t column)
{
    const auto found = m_landmarks.find(line);
    // What is put in at a byte may join the character before it, so a
    // landmark right there need not start a character any more.
    if (found != m_landmarks.end())
        found->second.ForgetFrom(column > 0 ? column - 1 : 0);
}

qint64 MergedTextCells::CellOf(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    column = std::min(column, bytes.size());
    return WalkTo(bytes, LandmarkBefore(line, column, -1), column).cell;
}

MergedTextCells::Mark MergedTextCells::ColumnAtCell(int line, qint64 cell) const
{
    const std::string &bytes = m_text.Line(line);
    return CharacterAtCell(bytes, LandmarkBefore(line, 0, std::max<qint64>(cell, 0)), cell, m_tabCells);
}

std::size_t MergedTextCells::CharacterStart(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    return CharacterAtOrBefore(bytes, LandmarkBefore(line, column, -1), column, m_tabCells).byte;
}

std::size_t MergedTextCells::NextCharacter(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    const std::size_t start = CharacterStart(line, column);
    return start < bytes.size() ? start + ClusterAt(bytes, start).length : bytes.size();
}

std::size_t MergedTextCells::PreviousCharacter(int line, std::size_t column) const
{
    column = std::min(column, m_text.Line(line).size());
    return column > 0 ? CharacterStart(line, column - 1) : 0;
}

qint64 MergedTextCells::CellsBound(int line) const
{
    const std::string &bytes = m_text.Line(line);
    if (bytes.size() >= kCountedLineBytes && !std::memchr(bytes.data(), '\t', bytes.size()))
        return static_cast<qint64>(bytes.size());
    return CellOf(line, bytes.size());
}

} // namespace lindo
