#include "engine/linekey.h"

namespace lindo {

namespace {

char Folded(char c, bool ignoreCase)
{
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key)
{
    key.clear();
    if (!options.ignoreAllSpace && !options.ignoreSpaceChange) {
        key.reserve(text.size());
        for (const char c : text)
            key.push_back(Folded(c, options.ignoreCase));
        return;
    }
    // A run of blanks leaves one blank behind only when more text follows it
    // and runs are not dropped altogether.
    bool pendingBlank = false;
    for (const char c : text) {
        if (IsBlank(c)) {
            pendingBlank = !options.ignoreAllSpace;
            continue;
        }
        if (pendingBlank)
            key.push_back(' ');
        pendingBlank = false;
        key.push_back(Folded(c, options.ignoreCase));
    }
}

} // namespace lindo
