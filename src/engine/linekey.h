#pragma once

// What counts as the same line when a comparison ignores blanks or letter
// case: each line is compared by a key made from its text, while everything
// shown and written keeps the line's own bytes.

#include "engine/difftypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lindo {

struct LineKeyOptions {
    bool ignoreSpaceChange = false; // runs of blank space are one blank; none at the end
    bool ignoreAllSpace = false;    // blank space is dropped (wins over ignoreSpaceChange)
    bool ignoreCase = false;        // ASCII letters are folded to lower case

    bool Any() const { return ignoreSpaceChange || ignoreAllSpace || ignoreCase; }
    bool operator==(const LineKeyOptions &) const = default;
};

// Whether the byte is blank space as the options see it: what isspace
// takes in the C locale, as GNU diff's -b and -w do (space, tab, line feed,
// vertical tab, form feed, carriage return).
constexpr bool IsBlank(char c)
{
    return c == ' ' || static_cast<unsigned>(static_cast<unsigned char>(c) - '\t') <= '\r' - '\t';
}

// The byte with an ASCII capital made small; branch-free, so that loops of
// it can fold many bytes at a time.
constexpr char FoldedAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return static_cast<char>(byte | (static_cast<unsigned>(byte - 'A') < 26u ? 0x20 : 0));
}

// Replaces key's contents with the key of text under options; with no
// option set the key is the text itself.
void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key);

// Whether two texts have the same key, read without making the keys.
bool SameLineKey(std::string_view text1, std::string_view text2, const LineKeyOptions &options);

// Tags line texts by their keys under options: the tag of a text is the
// TextTag of its key, so equal keys get equal tags. Lines repeat, and a key
// that drops blank space costs a pass over its text or a copy of it, so
// with such an option the tagger remembers the short texts it tagged last
// (copies of them, so the texts may move afterwards) and gives a text it
// finds there the tag it had.
class KeyTagger {
public:
    explicit KeyTagger(const LineKeyOptions &options) : m_options(options) {}

    std::uint32_t operator()(std::string_view text);

private:
    static constexpr std::size_t kRememberedSize = 40; // texts up to this size are remembered
    static constexpr std::size_t kRememberedCount = 512;

    std::uint32_t Make(std::string_view text);

    struct Remembered {
        char bytes[kRememberedSize];
        std::uint32_t size = ~0u; // none yet
        std::uint32_t tag = 0;
    };

    LineKeyOptions m_options;
    std::string m_room; // the key of a text that is not its own
    std::unique_ptr<Remembered[]> m_remembered; // made with the first text remembered
};

} // namespace lindo
