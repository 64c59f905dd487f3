#pragma once

namespace lindo {

class CDiffView;

// What a comparison pane needs of the window that holds it: a way to reach
// the pane of either side, so that the two panes can scroll together and
// step through changes together. A pane finds its host among its ancestors.
class DiffViewHost {
public:
    virtual ~DiffViewHost() = default;

    // The pane of side 1 (left) or side 2 (right); null for any other side.
    virtual CDiffView *GetView(int side) = 0;
};

} // namespace lindo
