#pragma once

// A plain, step-by-step transcription of the line matching, the default
// selection and the merge, written for clarity only: strings as keys, fresh
// hash maps for every range, linear scans. The real engine must agree with it
// on every link, section, pairing, placement, selection and merge byte.

#include <cstdint>
#include <string>
#include <vector>

namespace lindo::reference {

struct Line {
    std::string text;
    std::string key; // what the matching compares
    int link = -1;
};

// Which differences the matching ignores.
struct Ignore {
    bool spaceChange = false;
    bool allSpace = false;
    bool letterCase = false;
};

struct Section {
    int side = 0;
    int first = -1;
    int last = -1;
    int partner = -1;
    int above = -1;
    std::uint32_t flags = 0;

    bool operator==(const Section &) const = default;
};

struct Result {
    std::vector<int> links1;
    std::vector<int> links2;
    std::vector<Section> sections1;
    std::vector<Section> sections2;
    std::string merge; // bytes of the merge output after auto-select
};

// Splits bytes into line texts the way text-mode reading does.
std::vector<std::string> SplitLines(const std::string &bytes);

Result Run(const std::string &bytes1, const std::string &bytes2, bool autoSelect = true, Ignore ignore = {});

} // namespace lindo::reference
