#include "settingssheet/sharedengine.h"

namespace lindo {

namespace {

DiffEngine *&Holder()
{
    static DiffEngine *engine = nullptr;
    return engine;
}

} // namespace

DiffEngine *SharedEngine()
{
    return Holder();
}

void SetSharedEngine(DiffEngine *engine)
{
    Holder() = engine;
}

} // namespace lindo
