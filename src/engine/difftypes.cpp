#include "engine/difftypes.h"

namespace lindo {

SectionStatus StatusOf(const DiffSection &section)
{
    if (section.IsMatched())
        return SectionStatus::Matching;
    if (section.partner >= 0)
        return SectionStatus::Different;
    if (section.above >= 0)
        return SectionStatus::OnlyInThisFile;
    return SectionStatus::None;
}

} // namespace lindo
