#include "view/linechangecache.h"

#include "engine/diffengine.h"

namespace lindo {

namespace {

constexpr std::size_t kMaxKeptLines = 20000;

} // namespace

int PairedLine(const DiffEngine &engine, int side, int section, int line)
{
    if (section < 0)
        return -1;
    const DiffSection &own = engine.Sections(side)[static_cast<std::size_t>(section)];
    if (StatusOf(own) != SectionStatus::Different)
        return -1;
    const auto &others = engine.Sections(3 - side);
    if (own.partner >= static_cast<int>(others.size()))
        return -1;
    const DiffSection &partner = others[static_cast<std::size_t>(own.partner)];
    const std::int64_t paired = std::int64_t{partner.first} + (line - own.first);
    return paired <= partner.last ? static_cast<int>(paired) : -1;
}

void LineChangeCache::Refresh(const DiffEngine &engine)
{
    // The changes were found with the options of the load they belong to, so
    // the load count alone says whether they still hold.
    if (m_engine == &engine && m_load == engine.LoadCount() && m_lines.size() <= kMaxKeptLines)
        return;
    m_lines.clear();
    m_engine = &engine;
    m_load = engine.LoadCount();
}

const std::vector<ByteSpan> *LineChangeCache::Find(int line, int paired) const
{
    const auto kept = m_lines.find(line);
    return kept != m_lines.end() && kept->second.paired == paired ? &kept->second.spans : nullptr;
}

const std::vector<ByteSpan> &LineChangeCache::Keep(int line, int paired, std::vector<ByteSpan> spans)
{
    Entry &entry = m_lines[line];
    entry = Entry{paired, std::move(spans)};
    return entry.spans;
}

} // namespace lindo
