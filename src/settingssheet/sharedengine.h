#pragma once

// The one process-wide way to reach the main window's engine, for the two
// settings pages that are not handed it. Set once during the main window's
// initialisation and never cleared.

namespace lindo {

class DiffEngine;

DiffEngine *SharedEngine();
void SetSharedEngine(DiffEngine *engine);

} // namespace lindo
