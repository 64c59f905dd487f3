#include "referenceengine.h"

#include <unordered_map>

namespace lindo::reference {

namespace {

constexpr std::uint32_t kMatched = 1;
constexpr std::uint32_t kUnmatchedFirst = 2;
constexpr std::uint32_t kUnmatchedSecond = 4;
constexpr std::uint32_t kSelected = 8;

class Reference {
public:
    Reference(const std::string &bytes1, const std::string &bytes2, Ignore ignore)
    {
        for (auto &text : SplitLines(bytes1))
            lines[0].push_back(Line{text, KeyOf(text, ignore), -1});
        for (auto &text : SplitLines(bytes2))
            lines[1].push_back(Line{text, KeyOf(text, ignore), -1});
    }

    // The text with every ignored difference taken out, step by step.
    static std::string KeyOf(std::string text, Ignore ignore)
    {
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; };
        if (ignore.allSpace) {
            std::erase_if(text, blank);
        } else if (ignore.spaceChange) {
            while (!text.empty() && blank(text.back()))
                text.pop_back();
            std::string squeezed;
            for (char c : text) {
                if (blank(c) && !squeezed.empty() && squeezed.back() == ' ')
                    continue;
                squeezed += blank(c) ? ' ' : c;
            }
            text = squeezed;
        }
        if (ignore.letterCase)
            for (char &c : text)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c + ('a' - 'A'));
        return text;
    }

    std::vector<Line> lines[2];
    std::vector<Section> sections[2];
    std::vector<Section> mergeList;

    int Count(int side) const { return static_cast<int>(lines[side - 1].size()); }
    Line &L(int side, int index) { return lines[side - 1][static_cast<std::size_t>(index)]; }

    bool LinkLines(int i, int j)
    {
        if (L(1, i).key != L(2, j).key)
            return false;
        L(1, i).link = j;
        L(2, j).link = i;
        return true;
    }

    bool Extend(int i, int j)
    {
        if (!(i < Count(1)))
            return false;
        int k = 0;
        for (;;) {
            if (!(j + k < Count(2)))
                break;
            if (L(1, i + k).link != -1)
                break;
            if (L(2, j + k).link != -1)
                break;
            if (!LinkLines(i + k, j + k))
                break;
            if (i + k + 1 == Count(1)) {
                ++k;
                break;
            }
            ++k;
        }
        if (k == 0)
            return false;
        for (int m = 1;; ++m) {
            if (!(i - m >= 0 && j - m >= 0))
                break;
            if (L(1, i - m).link != -1 || L(2, j - m).link != -1)
                break;
            if (!LinkLines(i - m, j - m))
                break;
        }
        return true;
    }

    std::unordered_map<std::string, int> UniqueLineIndex(int side, int first, int last)
    {
        std::unordered_map<std::string, int> map;
        for (int i = first; i <= last; ++i) {
            if (L(side, i).link != -1)
                continue;
            auto found = map.find(L(side, i).key);
            if (found == map.end())
                map[L(side, i).key] = i;
            else
                found->second = -1;
        }
        return map;
    }

    static int Lookup(const std::unordered_map<std::string, int> &map, const std::string &text)
    {
        auto found = map.find(text);
        return found == map.end() ? -2 : found->second;
    }

    bool MatchRange(int first1, int last1, int first2, int last2)
    {
        auto u1 = UniqueLineIndex(1, first1, last1);
        auto u2 = UniqueLineIndex(2, first2, last2);
        bool linked = false;
        for (int i = first1; i <= last1; ++i) {
            if (L(1, i).link >= 0)
                continue;
            if (!(Lookup(u1, L(1, i).key) >= 0 && Lookup(u2, L(1, i).key) >= 0))
                continue;
            const int j = Lookup(u2, L(1, i).key);
            if (L(2, j).link >= 0)
                continue;
            if (Extend(i, j))
                linked = true;
        }
        return linked;
    }

    int MatchedRunEnd(int side, int a)
    {
        int v = L(side, a).link;
        while (a + 1 < Count(side) && L(side, a + 1).link != -1 && L(side, a + 1).link == v + 1) {
            ++a;
            ++v;
        }
        return a;
    }

    int UnmatchedRunEnd(int side, int a)
    {
        while (a + 1 < Count(side) && L(side, a + 1).link < 0)
            ++a;
        return a;
    }

    std::vector<Section> BuildSections(int side)
    {
        std::vector<Section> list;
        int a = 0;
        while (a < Count(side)) {
            Section s;
            s.side = side;
            s.first = a;
            if (L(side, a).link == -1) {
                s.last = UnmatchedRunEnd(side, a);
                s.flags = side == 1 ? kUnmatchedFirst : kUnmatchedSecond;
            } else {
                s.last = MatchedRunEnd(side, a);
                s.flags = kMatched;
            }
            list.push_back(s);
            a = s.last + 1;
        }
        return list;
    }

    bool LinkSections(std::vector<Section> &s1, std::vector<Section> &s2)
    {
        const int c1 = static_cast<int>(s1.size());
        const int c2 = static_cast<int>(s2.size());
        for (int s = 0; s < c1; ++s) {
            if (s1[static_cast<std::size_t>(s)].flags != kMatched)
                continue;
            const int v = L(1, s1[static_cast<std::size_t>(s)].first).link;
            for (int t = 0; t < c2; ++t) {
                if (s2[static_cast<std::size_t>(t)].first == v) {
                    s2[static_cast<std::size_t>(t)].partner = s;
                    s1[static_cast<std::size_t>(s)].partner = t;
                }
            }
        }
        bool linked = false;
        for (int j = 0; j < c1; ++j) {
            Section &s = s1[static_cast<std::size_t>(j)];
            if (s.flags == kMatched)
                continue;
            int k;
            if (j > 0) {
                k = s1[static_cast<std::size_t>(j - 1)].partner + 1;
            } else {
                if (c1 == 1)
                    break;
                k = s1[1].partner - 1;
                if (k == -1)
                    k = 0;
            }
            if (!(k < c2)) {
                s.above = c2;
            } else if (s2[static_cast<std::size_t>(k)].flags == kMatched) {
                s.above = k;
            } else {
                s.partner = k;
                s2[static_cast<std::size_t>(k)].partner = j;
                if (MatchRange(s.first, s.last, s2[static_cast<std::size_t>(k)].first,
                               s2[static_cast<std::size_t>(k)].last))
                    linked = true;
            }
        }
        for (int l = 0; l < c2; ++l) {
            Section &t = s2[static_cast<std::size_t>(l)];
            if (!(t.partner == -1 && t.above == -1))
                continue;
            if (l > 0) {
                t.above = s2[static_cast<std::size_t>(l - 1)].partner + 1;
            } else {
                if (c2 == 1)
                    break;
                t.above = s2[1].partner - 1;
                if (t.above == -1)
                    t.above = 0;
            }
        }
        return linked;
    }

    // Identical files, byte for byte or (with something ignored) key for
    // key, link every line to the line of the same number before any
    // matching, which then finds nothing left to link.
    void LinkTwinsOfIdenticalFiles(bool sameBytes, Ignore ignore)
    {
        const bool keyed = ignore.spaceChange || ignore.allSpace || ignore.letterCase;
        if (!sameBytes && !(keyed && Count(1) == Count(2)))
            return;
        for (int i = 0; i < Count(1); ++i)
            if (L(1, i).key != L(2, i).key)
                return;
        for (int i = 0; i < Count(1); ++i) {
            L(1, i).link = i;
            L(2, i).link = i;
        }
    }

    void Compare()
    {
        for (;;) {
            bool change = false;
            if (MatchRange(0, Count(1) - 1, 0, Count(2) - 1))
                change = true;
            auto s1 = BuildSections(1);
            auto s2 = BuildSections(2);
            if (LinkSections(s1, s2))
                change = true;
            if (!change) {
                sections[0] = s1;
                sections[1] = s2;
                break;
            }
        }
    }

    void AutoSelect()
    {
        for (auto &s : sections[1])
            s.flags |= kSelected;
        for (auto &s : sections[0])
            if ((s.flags & kUnmatchedFirst) && s.partner == -1)
                s.flags |= kSelected;
    }

    void TakeSection(std::vector<Section> &list, int &x, int o)
    {
        const int count = static_cast<int>(list.size());
        if (list[static_cast<std::size_t>(x)].flags & kSelected)
            mergeList.push_back(list[static_cast<std::size_t>(x)]);
        const int k = x + o;
        if (k >= count)
            return;
        if ((list[static_cast<std::size_t>(k)].flags & kMatched) || list[static_cast<std::size_t>(k)].partner >= 0)
            return;
        x = x + 1;
        if (x >= count)
            return;
        if (list[static_cast<std::size_t>(x)].flags & kSelected)
            mergeList.push_back(list[static_cast<std::size_t>(x)]);
    }

    // Lines end in CR LF when either file has one, otherwise in LF.
    std::string Merge(const std::string &lineEnd)
    {
        mergeList.clear();
        int i = 0;
        int j = 0;
        const int c1 = static_cast<int>(sections[0].size());
        const int c2 = static_cast<int>(sections[1].size());
        do {
            if (i < c1)
                TakeSection(sections[0], i, 0);
            if (j < c2)
                TakeSection(sections[1], j, 1);
            ++i;
            ++j;
        } while (!(i >= c1 && j >= c2));
        std::string out;
        for (const auto &s : mergeList)
            for (int line = s.first; line <= s.last; ++line)
                out += L(s.side, line).text + lineEnd;
        return out;
    }
};

} // namespace

std::vector<std::string> SplitLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (char c : bytes) {
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back(current);
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        lines.push_back(current);
    return lines;
}

Result Run(const std::string &bytes1, const std::string &bytes2, bool autoSelect, Ignore ignore)
{
    Reference ref(bytes1, bytes2, ignore);
    ref.LinkTwinsOfIdenticalFiles(bytes1 == bytes2, ignore);
    ref.Compare();
    if (autoSelect)
        ref.AutoSelect();
    Result result;
    for (const auto &line : ref.lines[0])
        result.links1.push_back(line.link);
    for (const auto &line : ref.lines[1])
        result.links2.push_back(line.link);
    result.sections1 = ref.sections[0];
    result.sections2 = ref.sections[1];
    const bool crLf = bytes1.find("\r\n") != std::string::npos || bytes2.find("\r\n") != std::string::npos;
    result.merge = ref.Merge(crLf ? "\r\n" : "\n");
    return result;
}

} // namespace lindo::reference
