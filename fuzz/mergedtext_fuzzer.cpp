// The Merged window's text model under random edits: typing, pastes of any
// UTF-16 text (CR LF, lone CR, lone LF, private-use characters, unpaired
// surrogates), deletions, undos, redos and saves, each done to the model the
// way the text area does it and to a plain byte string. After every step the
// model's bytes must be the string's, no line may hold a CR LF or a line feed,
// and "edited" must agree.
//
// Input: a few bytes of starting text up to a 0x00 byte (line feeds become
// line breaks, as merge output ends every line with one), then steps of one
// byte of kind followed by the bytes that kind reads.

#include "fuzzcheck.h"
#include "merge/bytetext.h"
#include "merge/mergedtext.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace lindo;

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::size_t Number(std::size_t bound) // in [0, bound]
    {
        const std::size_t value = static_cast<std::size_t>(Byte()) << 8 | Byte();
        return value % (bound + 1);
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// The same edits on a plain string, with the undo steps the model promises:
// each edit is one step, except that typing straight on from the last typed
// text (no save in between, nothing else done since) joins its step.
class PlainText {
public:
    explicit PlainText(std::string text) : m_states{std::move(text)} {}

    const std::string &Text() const { return m_states[m_at]; }
    bool Edited() const { return m_at != m_savedAt; }

    void Replace(std::size_t from, std::size_t to, const std::string &bytes, bool typing)
    {
        if (from == to && bytes.empty())
            return;
        std::string text = Text();
        text.replace(from, to - from, bytes);
        typing = typing && from == to && bytes.find("\r\n") == std::string::npos;
        if (typing && m_typingOpen && m_at > 0 && m_savedAt != m_at && from == m_typingEnd) {
            m_states[m_at] = std::move(text);
        } else {
            if (m_savedAt > m_at)
                m_savedAt = kNever;
            m_states.resize(m_at + 1);
            m_states.push_back(std::move(text));
            ++m_at;
            m_typingOpen = typing;
        }
        m_typingEnd = from + bytes.size();
    }
    // One that has nothing to take back (or do again) changes nothing.
    void Undo()
    {
        if (m_at == 0)
            return;
        --m_at;
        m_typingOpen = false;
    }
    void Redo()
    {
        if (m_at + 1 == m_states.size())
            return;
        ++m_at;
        m_typingOpen = false;
    }
    void CloseTyping() { m_typingOpen = false; }
    void MarkSaved() { m_savedAt = m_at; }

private:
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);
    std::vector<std::string> m_states;
    std::size_t m_at = 0;
    std::size_t m_savedAt = 0;
    bool m_typingOpen = false;
    std::size_t m_typingEnd = 0;
};

// Where a byte offset of the whole text lies in the model; an offset inside
// a line break stands for the start of the break.
TextPos PosOf(const std::string &text, std::size_t offset)
{
    if (offset > 0 && offset < text.size() && text[offset - 1] == '\r' && text[offset] == '\n')
        --offset;
    TextPos pos;
    std::size_t lineStart = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos && at < offset; at = text.find("\r\n", at + 2)) {
        ++pos.line;
        lineStart = at + 2;
    }
    pos.column = offset - lineStart;
    return pos;
}

std::size_t OffsetOf(const std::string &text, std::size_t offset)
{
    if (offset > 0 && offset < text.size() && text[offset - 1] == '\r' && text[offset] == '\n')
        --offset;
    return offset;
}

std::string StartingText(Input &input)
{
    std::string text;
    for (std::uint8_t byte = input.Byte(); byte != 0 && text.size() < 256; byte = input.Byte()) {
        if (byte == '\n' && (text.empty() || text.back() != '\r'))
            text += '\r';
        text += static_cast<char>(byte);
    }
    return text;
}

// UTF-16 text from the input, most of it from the units that matter here.
QString Utf16(Input &input, std::size_t length)
{
    static const char16_t kUnits[] = {u'\r', u'\n', u'a', u' ', 0xF70D, 0xF70A, 0xF700, 0xF7FF, 0xD83D, 0xDE00,
                                      0x2028, 0x2029, 0x00E9, 0x0000, 0xFDD0, 0xDC00};
    QString text;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t pick = input.Byte();
        if (pick < 2 * std::size(kUnits))
            text += QChar(kUnits[pick % std::size(kUnits)]);
        else
            text += QChar(static_cast<char16_t>(input.Byte() << 8 | pick));
    }
    return text;
}

void Check(const MergedText &model, const PlainText &plain)
{
    FUZZ_CHECK(model.Bytes({}, model.End()) == plain.Text());
    FUZZ_CHECK(model.IsEdited() == plain.Edited());
    for (int line = 0; line < model.LineCount(); ++line)
        FUZZ_CHECK(model.Line(line).find('\n') == std::string::npos);
}

void Step(Input &input, MergedText &model, PlainText &plain)
{
    const std::string &text = plain.Text();
    switch (input.Byte() % 7) {
    case 0: { // typing at a place, as the keyboard and input methods do
        const std::size_t at = OffsetOf(text, input.Number(text.size()));
        std::string bytes;
        AppendUnicodeBytes(Utf16(input, 1 + input.Byte() % 2), bytes);
        const TextPos pos = PosOf(text, at);
        model.Replace(pos, pos, bytes, MergedText::EditKind::Typing);
        plain.Replace(at, at, bytes, true);
        break;
    }
    case 1:   // a paste over a selection
    case 2: { // a deletion
        std::size_t from = OffsetOf(text, input.Number(text.size()));
        std::size_t to = OffsetOf(text, input.Number(text.size()));
        if (to < from)
            std::swap(from, to);
        std::string bytes;
        if (input.Byte() % 2 == 0)
            AppendUnicodeBytes(Utf16(input, input.Byte() % 16), bytes);
        model.CloseTyping();
        plain.CloseTyping();
        model.Replace(PosOf(text, from), PosOf(text, to), bytes);
        plain.Replace(from, to, bytes, false);
        break;
    }
    case 3:
    case 4: {
        TextPos from;
        TextPos to;
        const bool undo = input.Byte() % 2 == 0;
        const bool done = undo ? model.Undo(from, to) : model.Redo(from, to);
        undo ? plain.Undo() : plain.Redo();
        if (done)
            FUZZ_CHECK(from <= to && to <= model.End());
        break;
    }
    case 5:
        model.CloseTyping();
        plain.CloseTyping();
        break;
    default:
        model.MarkSaved();
        plain.MarkSaved();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input input(data, size);
    const std::string start = StartingText(input);
    MergedText model;
    model.Append(start);
    PlainText plain(start);
    Check(model, plain);
    for (int steps = 0; !input.Empty() && steps < 200; ++steps) {
        Step(input, model, plain);
        Check(model, plain);
    }
    return 0;
}
