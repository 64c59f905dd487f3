#pragma once

// Keeps controls where their window's resizing should put them: each edge of a
// control follows the parent's right (or bottom) edge, stays with its left
// (or top) edge, or follows its middle.

#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace lindo {

// For a left or right edge: FollowRight, FollowLeft or FollowCentre. For a
// top or bottom edge: FollowBottom follows the bottom, any other mode keeps
// the edge where it was registered.
enum AnchorMode {
    FollowRight = 0,
    FollowBottom = 0,
    FollowLeft = 1,
    FollowTop = 1,
    FollowCentre = 2,
};

struct AnchorItem {
    QWidget *control = nullptr; // not owned
    QWidget *parent = nullptr;  // not owned
    // The parent's size at registration. The client size is used: a frame
    // adds the same to the outer size at registration and now, so the
    // differences are those of the outer rectangle, and a top-level window's
    // frame is unknown until it is first shown.
    QSize parentSize;
    QRect controlRect; // in the parent's client coordinates, at registration
    AnchorMode leftMode = FollowLeft;
    AnchorMode rightMode = FollowLeft;
    AnchorMode topMode = FollowTop;
    AnchorMode bottomMode = FollowTop;
};

class AnchorLayout {
public:
    // Registers the control's rule with its and its parent's geometry as they
    // are now.
    void Add(QWidget *control, QWidget *parent, AnchorMode leftMode, AnchorMode rightMode, AnchorMode topMode,
             AnchorMode bottomMode);

    // Moves every control, in registration order, to its registered rectangle
    // shifted by its rules for the parent's current size. Each move starts
    // from the registered rectangle, so repeated resizing never drifts.
    void Apply() const;

    // Where the rule puts the control for a parent of the given size.
    static QRect Place(const AnchorItem &item, QSize parentNow);

    const std::vector<AnchorItem> &Items() const { return m_items; }

private:
    std::vector<AnchorItem> m_items;
};

} // namespace lindo
