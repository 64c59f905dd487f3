#include "merge/mergedtext.h"

#include "merge/bytetext.h"

#include <algorithm>
#include <cassert>

namespace lindo {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

} // namespace

std::size_t CharLength(std::string_view bytes, std::size_t at)
{
    char32_t c = 0;
    const int length = Utf8CharAt(bytes, at, c);
    return length > 0 ? static_cast<std::size_t>(length) : 1;
}

void MergedText::Clear()
{
    m_lines.assign(1, std::string());
    m_edits.clear();
    m_done = 0;
    m_savedAt = 0;
    m_typingOpen = false;
}

void MergedText::Append(std::string_view bytes)
{
    std::size_t at = 0;
    while (true) {
        const std::size_t lineBreak = bytes.find(kLineBreak, at);
        if (lineBreak == std::string_view::npos) {
            m_lines.back().append(bytes.substr(at));
            return;
        }
        m_lines.back().append(bytes.substr(at, lineBreak - at));
        m_lines.emplace_back();
        at = lineBreak + kLineBreak.size();
    }
}

std::string MergedText::Bytes(TextPos from, TextPos to) const
{
    if (from.line == to.line)
        return Line(from.line).substr(from.column, to.column - from.column);
    std::string bytes = Line(from.line).substr(from.column);
    for (int line = from.line + 1; line < to.line; ++line) {
        bytes += kLineBreak;
        bytes += Line(line);
    }
    bytes += kLineBreak;
    bytes.append(Line(to.line), 0, to.column);
    return bytes;
}

TextPos MergedText::EndOf(TextPos from, std::string_view bytes)
{
    TextPos end = from;
    std::size_t lineStart = 0;
    for (std::size_t at = bytes.find(kLineBreak); at != std::string_view::npos;
         at = bytes.find(kLineBreak, lineStart)) {
        ++end.line;
        end.column = 0;
        lineStart = at + kLineBreak.size();
    }
    end.column += bytes.size() - lineStart;
    return end;
}

TextPos MergedText::Splice(TextPos from, TextPos to, std::string_view bytes)
{
    assert(from <= to);
    const auto first = static_cast<std::size_t>(from.line);
    if (from.line == to.line && bytes.find(kLineBreak) == std::string_view::npos) {
        // The common case, a change inside one line, edits it in place.
        m_lines[first].replace(from.column, to.column - from.column, bytes);
        return {from.line, from.column + bytes.size()};
    }
    const std::string tail = Line(to.line).substr(to.column);
    std::vector<std::string> added;
    std::size_t at = 0;
    for (std::size_t lineBreak = bytes.find(kLineBreak); lineBreak != std::string_view::npos;
         lineBreak = bytes.find(kLineBreak, at)) {
        added.emplace_back(bytes.substr(at, lineBreak - at));
        at = lineBreak + kLineBreak.size();
    }
    std::string &head = m_lines[first];
    head.resize(from.column);
    TextPos end;
    if (added.empty()) {
        head.append(bytes);
        end = {from.line, head.size()};
        head += tail;
    } else {
        head.append(added.front());
        added.erase(added.begin());
        std::string last(bytes.substr(at));
        end = {from.line + static_cast<int>(added.size()) + 1, last.size()};
        last += tail;
        added.push_back(std::move(last));
    }
    const auto removedFrom = m_lines.begin() + from.line + 1;
    const auto removedTo = m_lines.begin() + to.line + 1;
    // Overwrites what it can and inserts or erases only the difference.
    const auto common = std::min<std::ptrdiff_t>(removedTo - removedFrom, static_cast<std::ptrdiff_t>(added.size()));
    std::move(added.begin(), added.begin() + common, removedFrom);
    if (common < removedTo - removedFrom)
        m_lines.erase(removedFrom + common, removedTo);
    else
        m_lines.insert(removedFrom + common, std::make_move_iterator(added.begin() + common),
                       std::make_move_iterator(added.end()));
    return end;
}

TextPos MergedText::Replace(TextPos from, TextPos to, std::string_view bytes, EditKind kind)
{
    if (to < from)
        std::swap(from, to);
    std::string removed = Bytes(from, to);
    if (removed.empty() && bytes.empty())
        return from;
    if (m_savedAt > m_done && m_savedAt != kNever)
        m_savedAt = kNever; // the saved state was undone and is now out of reach
    m_edits.resize(m_done);
    const bool typing = kind == EditKind::Typing && removed.empty() && bytes.find(kLineBreak) == std::string_view::npos;
    if (typing && m_typingOpen && m_done > 0 && m_savedAt != m_done) {
        Edit &last = m_edits.back();
        if (last.removed.empty() && EndOf(last.from, last.inserted) == from) {
            last.inserted += bytes;
            return Splice(from, to, bytes);
        }
    }
    m_edits.push_back({from, std::move(removed), std::string(bytes)});
    ++m_done;
    m_typingOpen = typing;
    return Splice(from, to, bytes);
}

bool MergedText::Undo(TextPos &from, TextPos &to)
{
    if (!CanUndo())
        return false;
    const Edit &edit = m_edits[--m_done];
    from = edit.from;
    to = Splice(edit.from, EndOf(edit.from, edit.inserted), edit.removed);
    m_typingOpen = false;
    return true;
}

bool MergedText::Redo(TextPos &from, TextPos &to)
{
    if (!CanRedo())
        return false;
    const Edit &edit = m_edits[m_done++];
    from = edit.from;
    to = Splice(edit.from, EndOf(edit.from, edit.removed), edit.inserted);
    m_typingOpen = false;
    return true;
}

std::size_t MergedText::NextColumn(int line, std::size_t at) const
{
    const std::string &bytes = Line(line);
    return at >= bytes.size() ? bytes.size() : at + CharLength(bytes, at);
}

std::size_t MergedText::PreviousColumn(int line, std::size_t at) const
{
    if (at == 0)
        return 0;
    const std::string &bytes = Line(line);
    // A valid sequence ending here is one character; its lead byte cannot be
    // inside an earlier one.
    for (std::size_t length = 4; length >= 2; --length) {
        if (at >= length && CharLength(bytes, at - length) == length)
            return at - length;
    }
    return at - 1;
}

} // namespace lindo
