#pragma once

// The Merged window's text as it is kept: lines of bytes, one CR LF between
// each line and the next, so the bytes of the whole text are the lines joined
// by CR LF and nothing is decoded or re-encoded on the way in or out. A CR or
// LF that is not part of a pair is a byte of its line like any other.
//
// Edits replace a stretch of bytes with others and are kept for undo; text
// that arrives (Append) is not an edit.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

// A place in the text: a line and a byte offset in it, always at the start
// of a character (or at the line's end).
struct TextPos {
    int line = 0;
    std::size_t column = 0;
    // (No <=>: moc cannot read <compare>.)
    friend bool operator==(const TextPos &a, const TextPos &b) { return a.line == b.line && a.column == b.column; }
    friend bool operator!=(const TextPos &a, const TextPos &b) { return !(a == b); }
    friend bool operator<(const TextPos &a, const TextPos &b)
    {
        return a.line < b.line || (a.line == b.line && a.column < b.column);
    }
    friend bool operator>(const TextPos &a, const TextPos &b) { return b < a; }
    friend bool operator<=(const TextPos &a, const TextPos &b) { return !(b < a); }
    friend bool operator>=(const TextPos &a, const TextPos &b) { return !(a < b); }
};

class MergedText {
public:
    enum class EditKind {
        Typing, // one typed character after another makes one undo step
        Other,
    };

    MergedText() { m_lines.emplace_back(); }

    // Empties the text and forgets every edit.
    void Clear();
    // Adds bytes at the end; CR LF in them starts a line.
    void Append(std::string_view bytes);

    int LineCount() const { return static_cast<int>(m_lines.size()); }
    const std::string &Line(int line) const { return m_lines[static_cast<std::size_t>(line)]; }
    TextPos End() const { return {LineCount() - 1, m_lines.back().size()}; }
    bool IsEmpty() const { return m_lines.size() == 1 && m_lines.front().empty(); }

    // The bytes between two places, line breaks as CR LF.
    std::string Bytes(TextPos from, TextPos to) const;
    // Where `bytes` put at `from` end.
    static TextPos EndOf(TextPos from, std::string_view bytes);

    // Replaces the bytes between two places with others and keeps the change
    // for undo; returns where the new bytes end.
    TextPos Replace(TextPos from, TextPos to, std::string_view bytes, EditKind kind = EditKind::Other);

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_edits.size(); }
    std::size_t EditsDone() const { return m_done; }
    // Takes back the last edit (or does again the last one taken back);
    // false when there is none. The bytes now between `from` and `to` are
    // those it put back.
    bool Undo(TextPos &from, TextPos &to);
    bool Redo(TextPos &from, TextPos &to);
    // Ends the current typing step, so the next typed character starts one.
    void CloseTyping() { m_typingOpen = false; }

    // Whether the text differs from how it was taken in or last marked saved,
    // going by the edits done and undone since.
    bool IsEdited() const { return m_done != m_savedAt; }
    void MarkSaved() { m_savedAt = m_done; }

    // The start of the character after (before) the one at `at` in a line:
    // a valid UTF-8 sequence is one character, any other byte one of its own.
    std::size_t NextColumn(int line, std::size_t at) const;
    std::size_t PreviousColumn(int line, std::size_t at) const;

private:
    struct Edit {
        TextPos from;
        std::string removed;
        std::string inserted;
    };

    // The change itself, not recorded.
    TextPos Splice(TextPos from, TextPos to, std::string_view bytes);

    std::vector<std::string> m_lines;
    std::vector<Edit> m_edits;
    std::size_t m_done = 0;
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);
    std::size_t m_savedAt = 0;
    bool m_typingOpen = false;
};

// Length of the character at bytes[at] as MergedText counts characters.
std::size_t CharLength(std::string_view bytes, std::size_t at);

} // namespace lindo
