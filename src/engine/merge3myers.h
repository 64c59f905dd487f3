#pragma once

// The middle-snake search of Myers' O(ND) diff on two sequences of line
// numbers, linear in space, with the cut-offs that keep it near-linear in
// time on long files: a long enough snake far enough along the diagonals is
// taken as the split, and past a cost limit the furthest-reaching path is.
// The worst this can do is make the diff less than minimal.

#include <cstdint>
#include <memory>

namespace lindo {

class Merge3Myers {
public:
    // a and b are the sequences; changedA and changedB (one byte an item,
    // zero to begin with) get a 1 for every item the diff finds changed.
    Merge3Myers(const std::uint32_t *a, std::int32_t sizeA, std::uint8_t *changedA, const std::uint32_t *b,
                std::int32_t sizeB, std::uint8_t *changedB);

    void Run();

private:
    struct Split {
        std::int32_t a = 0;
        std::int32_t b = 0;
        bool minimalLow = true;
        bool minimalHigh = true;
    };
    struct Box {
        std::int32_t offA, limA, offB, limB;
    };
    struct Search; // the diagonals reached so far, both ways

    void Compare(Box box, bool minimal);
    Split FindSplit(const Box &box, bool minimal);
    bool StepForward(Search &search, const Box &box, Split &split, bool &gotSnake);
    bool StepBackward(Search &search, const Box &box, Split &split, bool &gotSnake);
    bool TakeLongSnake(const Search &search, const Box &box, std::int32_t cost, Split &split) const;
    Split TakeFurthest(const Search &search, const Box &box) const;

    const std::uint32_t *m_a;
    std::int32_t m_sizeA;
    std::uint8_t *m_changedA;
    const std::uint32_t *m_b;
    std::int32_t m_sizeB;
    std::uint8_t *m_changedB;
    // Furthest points reached on each diagonal k = a - b, forward and
    // backward; indexed from -sizeB - 1 to sizeA + 1. Left uninitialised:
    // only the diagonals the search reaches are written, and read after.
    std::unique_ptr<std::int32_t[]> m_forwardStore;
    std::unique_ptr<std::int32_t[]> m_backwardStore;
    std::int32_t *m_forward = nullptr;
    std::int32_t *m_backward = nullptr;
    std::int32_t m_maxCost = 0;
};

} // namespace lindo
