#include "engine/linechanges.h"

#include <algorithm>

namespace lindo {

namespace {

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

// First cut: everything between the common head and tail differs.
LineChanges FindLineChanges(std::string_view line1, std::string_view line2, const LineKeyOptions &)
{
    LineChanges changes;
    if (line1 == line2)
        return changes;
    const std::size_t shorter = std::min(line1.size(), line2.size());
    std::size_t head = 0;
    while (head < shorter && line1[head] == line2[head])
        ++head;
    while (head > 0 && ((head < line1.size() && IsContinuation(line1[head]))
                        || (head < line2.size() && IsContinuation(line2[head]))))
        --head;
    std::size_t tail = 0;
    while (tail < shorter - head && line1[line1.size() - 1 - tail] == line2[line2.size() - 1 - tail])
        ++tail;
    while (tail > 0 && (IsContinuation(line1[line1.size() - tail]) || IsContinuation(line2[line2.size() - tail])))
        --tail;
    if (head < line1.size() - tail)
        changes.first.push_back({head, line1.size() - tail});
    if (head < line2.size() - tail)
        changes.second.push_back({head, line2.size() - tail});
    return changes;
}

} // namespace lindo
