#include "uikit/columnindex.h"

#include <algorithm>

namespace lindo {

namespace {

// The mark before the first for which `beyond` holds; marks grow in bytes
// and cells alike, so that one is found by bisection.
template <typename Beyond>
ColumnIndex::Mark LastBefore(const std::vector<ColumnIndex::Mark> &marks, Beyond beyond)
{
    const auto after = std::partition_point(marks.begin(), marks.end(),
                                            [&](const ColumnIndex::Mark &mark) { return !beyond(mark); });
    return after == marks.begin() ? ColumnIndex::Mark{} : *(after - 1);
}

} // namespace

ColumnIndex::Mark ColumnIndex::ByByte(std::size_t byte) const
{
    return LastBefore(m_marks, [byte](const Mark &mark) { return mark.byte > byte; });
}

ColumnIndex::Mark ColumnIndex::ByCell(qint64 cell) const
{
    return LastBefore(m_marks, [cell](const Mark &mark) { return mark.cell > cell; });
}

void ColumnIndex::ForgetFrom(std::size_t byte)
{
    m_marks.erase(std::partition_point(m_marks.begin(), m_marks.end(),
                                       [byte](const Mark &mark) { return mark.byte <= byte; }),
                  m_marks.end());
}

} // namespace lindo
