#include "engine/squeezeblanks.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define LINDO_GATHERING_SQUEEZE 1
#endif

namespace lindo {

static_assert(std::endian::native == std::endian::little, "the squeeze counts a word's bytes in little-endian order");

namespace {

constexpr std::uint64_t kBlank = kEveryByte * ' ';

// The next word of text from at; past its end, blanks, which at the text's
// end leave nothing.
[[gnu::always_inline]] inline std::uint64_t WordAt(std::string_view text, std::size_t at)
{
    std::uint64_t word = kBlank;
    if (text.size() - at >= 8)
        std::memcpy(&word, text.data() + at, 8);
    else
        std::memcpy(&word, text.data() + at, text.size() - at);
    return word;
}

// What goes of a word and what it becomes, before its bytes move.
struct WordSqueeze {
    std::uint64_t goes;     // the high bit of every byte that leaves nothing
    std::uint64_t squeezed; // the word with every blank made ' ' (a blank stays only as ' ')
};

// `blankBefore`: 0x80 when the word before ended in a blank; set for the next.
[[gnu::always_inline]] inline WordSqueeze Squeeze(std::uint64_t word, bool dropAll, std::uint64_t &blankBefore)
{
    const std::uint64_t blanks = BlankBytes(word);
    // Under -b only the first blank of a run stays.
    const std::uint64_t goes = dropAll ? blanks : blanks & ((blanks << 8) | blankBefore);
    blankBefore = blanks >> 56;
    const std::uint64_t blankBytes = (blanks >> 7) * 0xFF;
    return {goes, (word & ~blankBytes) | (kBlank & blankBytes)};
}

// A blank left at the very end was the first of a run that ends the text.
std::size_t WithoutLastBlank(const char *out, std::size_t length, bool dropAll)
{
    return !dropAll && length > 0 && out[length - 1] == ' ' ? length - 1 : length;
}

#ifdef LINDO_GATHERING_SQUEEZE
// Sixty-four bytes at a time: blanks are found by two compares, and the
// bytes that stay are gathered by one instruction. The last block's load
// and store are masked, so nothing outside text and key is touched.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) std::size_t
SqueezeBlanksByGathering(std::string_view text, bool dropAll, char *out)
{
    const __m512i blank = _mm512_set1_epi8(' ');
    const __m512i tab = _mm512_set1_epi8('\t');
    const __m512i tabToCr = _mm512_set1_epi8('\r' - '\t');
    std::size_t length = 0;
    std::uint64_t blankBefore = 0; // 1 when the block before ended in a blank
    for (std::size_t at = 0; at < text.size(); at += 64) {
        // A whole block is read and written as it stands: the key before it
        // is no longer than the text before it.
        const bool whole = text.size() - at >= 64;
        const __mmask64 inside = whole ? ~0ull : (1ull << (text.size() - at)) - 1;
        // Past the text's end: blanks, which at its end leave nothing.
        const __m512i bytes = whole ? _mm512_loadu_si512(text.data() + at)
                                    : _mm512_mask_loadu_epi8(blank, inside, text.data() + at);
        const std::uint64_t blanks = _mm512_cmpeq_epi8_mask(bytes, blank)
                                     | _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, tab), tabToCr);
        const std::uint64_t goes = dropAll ? blanks : blanks & ((blanks << 1) | blankBefore);
        blankBefore = blanks >> 63;
        const __m512i squeezed = _mm512_mask_mov_epi8(bytes, blanks, blank);
        const __m512i packed = _mm512_maskz_compress_epi8(~goes, squeezed);
        const std::size_t stays = static_cast<std::size_t>(_mm_popcnt_u64(~goes));
        if (whole)
            _mm512_storeu_si512(out + length, packed);
        else
            _mm512_mask_storeu_epi8(out + length, stays == 64 ? ~0ull : (1ull << stays) - 1, packed);
        length += stays;
    }
    return WithoutLastBlank(out, length, dropAll);
}

SqueezeWay PickedWay()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bw") ? SqueezeBlanksByGathering
                                                                                      : SqueezeBlanksByStores;
}
#else
SqueezeWay PickedWay()
{
    return SqueezeBlanksByStores;
}
#endif

} // namespace

// Without branches inside a word: a multiplication counts, for each byte,
// the bytes before it that stay, which is where it goes, so every byte is
// stored at once, and a byte that goes is overwritten by the next one that
// stays.
std::size_t SqueezeBlanksByStores(std::string_view text, bool dropAll, char *out)
{
    std::size_t length = 0;
    std::uint64_t blankBefore = 0;
    for (std::size_t at = 0; at < text.size(); at += 8) {
        const std::uint64_t word = WordAt(text, at);
        const WordSqueeze squeeze = Squeeze(word, dropAll, blankBefore);
        if (squeeze.goes == 0 && squeeze.squeezed == word) {
            std::memcpy(out + length, &word, 8);
            length += 8;
            continue;
        }
        const std::uint64_t stays = (~squeeze.goes & kHighBits) >> 7;
        const std::uint64_t upTo = stays * kEveryByte; // byte n: the bytes up to n that stay
        const std::uint64_t before = upTo - stays;
#pragma GCC unroll 8
        for (unsigned n = 0; n < 64; n += 8)
            out[length + ((before >> n) & 0xFF)] = static_cast<char>(squeeze.squeezed >> n);
        length += upTo >> 56;
    }
    return WithoutLastBlank(out, length, dropAll);
}

SqueezeWay GatheringSqueeze()
{
    const SqueezeWay way = PickedWay();
    return way == SqueezeBlanksByStores ? nullptr : way;
}

std::size_t SqueezeBlanks(std::string_view text, bool dropAll, char *out)
{
    static const SqueezeWay way = PickedWay();
    return way(text, dropAll, out);
}

} // namespace lindo
