#include "engine/merge3myers.h"

#include <algorithm>
#include <limits>

namespace lindo {

namespace {

// A snake longer than this makes the search look for an early split.
constexpr std::int32_t kSnakeLength = 20;
// The cost past which long snakes are looked for at all.
constexpr std::int32_t kHeuristicCost = 256;
// How far ahead of the cost a path must have come to be taken as the split.
constexpr std::int32_t kAheadFactor = 4;
// The least cost limit, whatever the lengths.
constexpr std::int32_t kMinCostLimit = 256;
constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max();

// About the square root of n, a power of two.
std::int32_t RoughSquareRoot(std::int64_t n)
{
    std::int32_t root = 1;
    for (; n > 0; n >>= 2)
        root <<= 1;
    return root;
}

} // namespace

struct Merge3Myers::Search {
    std::int32_t lowestK, highestK; // the diagonals inside the box
    std::int32_t forwardMid, backwardMid;
    bool odd;
    std::int32_t forwardMin, forwardMax, backwardMin, backwardMax;
};

Merge3Myers::Merge3Myers(const std::uint32_t *a, std::int32_t sizeA, std::uint8_t *changedA, const std::uint32_t *b,
                         std::int32_t sizeB, std::uint8_t *changedB)
    : m_a(a), m_sizeA(sizeA), m_changedA(changedA), m_b(b), m_sizeB(sizeB), m_changedB(changedB)
{
    const std::size_t diagonals = static_cast<std::size_t>(sizeA) + static_cast<std::size_t>(sizeB) + 3;
    m_forwardStore.reset(new std::int32_t[diagonals]);
    m_backwardStore.reset(new std::int32_t[diagonals]);
    m_forward = m_forwardStore.get() + sizeB + 1;
    m_backward = m_backwardStore.get() + sizeB + 1;
    m_maxCost = std::max(RoughSquareRoot(static_cast<std::int64_t>(diagonals)), kMinCostLimit);
}

void Merge3Myers::Run()
{
    Compare({0, m_sizeA, 0, m_sizeB}, false);
}

void Merge3Myers::Compare(Box box, bool minimal)
{
    while (box.offA < box.limA && box.offB < box.limB && m_a[box.offA] == m_b[box.offB]) {
        ++box.offA;
        ++box.offB;
    }
    while (box.offA < box.limA && box.offB < box.limB && m_a[box.limA - 1] == m_b[box.limB - 1]) {
        --box.limA;
        --box.limB;
    }
    if (box.offA == box.limA) {
        for (std::int32_t i = box.offB; i < box.limB; ++i)
            m_changedB[i] = 1;
    } else if (box.offB == box.limB) {
        for (std::int32_t i = box.offA; i < box.limA; ++i)
            m_changedA[i] = 1;
    } else {
        const Split split = FindSplit(box, minimal);
        Compare({box.offA, split.a, box.offB, split.b}, split.minimalLow);
        Compare({split.a, box.limA, split.b, box.limB}, split.minimalHigh);
    }
}

Merge3Myers::Split Merge3Myers::FindSplit(const Box &box, bool minimal)
{
    Search search;
    search.lowestK = box.offA - box.limB;
    search.highestK = box.limA - box.offB;
    search.forwardMid = box.offA - box.offB;
    search.backwardMid = box.limA - box.limB;
    search.odd = ((search.forwardMid - search.backwardMid) & 1) != 0;
    search.forwardMin = search.forwardMax = search.forwardMid;
    search.backwardMin = search.backwardMax = search.backwardMid;
    m_forward[search.forwardMid] = box.offA;
    m_backward[search.backwardMid] = box.limA;
    Split split;
    for (std::int32_t cost = 1;; ++cost) {
        bool gotSnake = false;
        if (StepForward(search, box, split, gotSnake) || StepBackward(search, box, split, gotSnake))
            return split;
        if (minimal)
            continue;
        if (gotSnake && cost > kHeuristicCost && TakeLongSnake(search, box, cost, split))
            return split;
        if (cost >= m_maxCost)
            return TakeFurthest(search, box);
    }
}

// Widens the forward search by one diagonal each way (or narrows it where
// it meets the box's edge, keeping the parity) and extends every path by one
// edit and its snake; true when a path meets a backward one.
bool Merge3Myers::StepForward(Search &search, const Box &box, Split &split, bool &gotSnake)
{
    std::int32_t *forward = m_forward;
    if (search.forwardMin > search.lowestK)
        forward[--search.forwardMin - 1] = -1;
    else
        ++search.forwardMin;
    if (search.forwardMax < search.highestK)
        forward[++search.forwardMax + 1] = -1;
    else
        --search.forwardMax;
    for (std::int32_t k = search.forwardMax; k >= search.forwardMin; k -= 2) {
        std::int32_t a = forward[k - 1] >= forward[k + 1] ? forward[k - 1] + 1 : forward[k + 1];
        const std::int32_t start = a;
        std::int32_t b = a - k;
        while (a < box.limA && b < box.limB && m_a[a] == m_b[b]) {
            ++a;
            ++b;
        }
        if (a - start > kSnakeLength)
            gotSnake = true;
        forward[k] = a;
        if (search.odd && search.backwardMin <= k && k <= search.backwardMax && m_backward[k] <= a) {
            split = {a, b, true, true};
            return true;
        }
    }
    return false;
}

bool Merge3Myers::StepBackward(Search &search, const Box &box, Split &split, bool &gotSnake)
{
    std::int32_t *backward = m_backward;
    if (search.backwardMin > search.lowestK)
        backward[--search.backwardMin - 1] = kFar;
    else
        ++search.backwardMin;
    if (search.backwardMax < search.highestK)
        backward[++search.backwardMax + 1] = kFar;
    else
        --search.backwardMax;
    for (std::int32_t k = search.backwardMax; k >= search.backwardMin; k -= 2) {
        std::int32_t a = backward[k - 1] < backward[k + 1] ? backward[k - 1] : backward[k + 1] - 1;
        const std::int32_t start = a;
        std::int32_t b = a - k;
        while (a > box.offA && b > box.offB && m_a[a - 1] == m_b[b - 1]) {
            --a;
            --b;
        }
        if (start - a > kSnakeLength)
            gotSnake = true;
        backward[k] = a;
        if (!search.odd && search.forwardMin <= k && k <= search.forwardMax && a <= m_forward[k]) {
            split = {a, b, true, true};
            return true;
        }
    }
    return false;
}

// Looks, forward and then backward, for the path that has come furthest
// (less its distance from the middle diagonal) well ahead of the cost and
// ends in a snake of kSnakeLength lines; takes the first such as the split.
bool Merge3Myers::TakeLongSnake(const Search &search, const Box &box, std::int32_t cost, Split &split) const
{
    std::int64_t best = 0;
    for (std::int32_t k = search.forwardMax; k >= search.forwardMin; k -= 2) {
        const std::int64_t offMiddle = k > search.forwardMid ? k - search.forwardMid : search.forwardMid - k;
        const std::int32_t a = m_forward[k];
        const std::int32_t b = a - k;
        const std::int64_t value = static_cast<std::int64_t>(a - box.offA) + (b - box.offB) - offMiddle;
        if (value > kAheadFactor * std::int64_t{cost} && value > best && box.offA + kSnakeLength <= a &&
            a < box.limA && box.offB + kSnakeLength <= b && b < box.limB) {
            for (std::int32_t back = 1; m_a[a - back] == m_b[b - back]; ++back) {
                if (back == kSnakeLength) {
                    best = value;
                    split = {a, b, true, false};
                    break;
                }
            }
        }
    }
    if (best > 0)
        return true;
    for (std::int32_t k = search.backwardMax; k >= search.backwardMin; k -= 2) {
        const std::int64_t offMiddle = k > search.backwardMid ? k - search.backwardMid : search.backwardMid - k;
        const std::int32_t a = m_backward[k];
        const std::int32_t b = a - k;
        const std::int64_t value = static_cast<std::int64_t>(box.limA - a) + (box.limB - b) - offMiddle;
        if (value > kAheadFactor * std::int64_t{cost} && value > best && box.offA < a &&
            a <= box.limA - kSnakeLength && box.offB < b && b <= box.limB - kSnakeLength) {
            for (std::int32_t ahead = 0; m_a[a + ahead] == m_b[b + ahead]; ++ahead) {
                if (ahead == kSnakeLength - 1) {
                    best = value;
                    split = {a, b, false, true};
                    break;
                }
            }
        }
    }
    return best > 0;
}

// Past the cost limit: the split is the point, forward or backward, that
// has come furthest along a + b.
Merge3Myers::Split Merge3Myers::TakeFurthest(const Search &search, const Box &box) const
{
    std::int64_t forwardBest = -1;
    std::int32_t forwardA = -1;
    for (std::int32_t k = search.forwardMax; k >= search.forwardMin; k -= 2) {
        std::int32_t a = std::min(m_forward[k], box.limA);
        std::int32_t b = a - k;
        if (box.limB < b) {
            a = box.limB + k;
            b = box.limB;
        }
        if (forwardBest < std::int64_t{a} + b) {
            forwardBest = std::int64_t{a} + b;
            forwardA = a;
        }
    }
    std::int64_t backwardBest = std::numeric_limits<std::int64_t>::max();
    std::int32_t backwardA = kFar;
    for (std::int32_t k = search.backwardMax; k >= search.backwardMin; k -= 2) {
        std::int32_t a = std::max(box.offA, m_backward[k]);
        std::int32_t b = a - k;
        if (b < box.offB) {
            a = box.offB + k;
            b = box.offB;
        }
        if (std::int64_t{a} + b < backwardBest) {
            backwardBest = std::int64_t{a} + b;
            backwardA = a;
        }
    }
    const std::int64_t size = std::int64_t{box.limA} + box.limB;
    const std::int64_t origin = std::int64_t{box.offA} + box.offB;
    if (size - backwardBest < forwardBest - origin)
        return {forwardA, static_cast<std::int32_t>(forwardBest - forwardA), true, false};
    return {backwardA, static_cast<std::int32_t>(backwardBest - backwardA), false, true};
}

} // namespace lindo
