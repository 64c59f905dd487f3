#include "engine/squeezeblanks.h"

#include "engine/linekey.h"
#include "engine/texthash.h"

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

// The high bit of every byte of word that is blank space, nothing else: the
// bytes of tab to carriage return, and the blank.
constexpr std::uint64_t BlankBytes(std::uint64_t word)
{
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastTab = low + kEveryByte * (0x80 - '\t');
    const std::uint64_t aboveCr = low + kEveryByte * (0x80 - '\r' - 1);
    return (atLeastTab & ~aboveCr & ~word & kHighBits) | BytesEqualTo(word, ' ');
}

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

// A blank at the end never stays.
bool EndsInBlank(std::string_view text)
{
    return !text.empty() && IsBlank(text.back());
}

#ifdef LINDO_GATHERING_SQUEEZE
// Checkers that watch every byte read see the bytes past a text's end.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LINDO_MASKED_LAST_LOAD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define LINDO_MASKED_LAST_LOAD 1
#endif
#endif

// The last, partial block of a text from at, with `outside` in the places
// past its end. A load of a whole block there costs a fraction of a masked
// one; it reads past the text only within the page the text ends on, which
// is readable.
__attribute__((target("avx512f,avx512bw"))) inline __m512i LastBlock(std::string_view text, std::size_t at,
                                                                     __m512i outside)
{
    const __mmask64 inside = (1ull << (text.size() - at)) - 1;
#ifndef LINDO_MASKED_LAST_LOAD
    constexpr std::uintptr_t kPage = 4096;
    if ((reinterpret_cast<std::uintptr_t>(text.data() + at) & (kPage - 1)) <= kPage - 64)
        return _mm512_mask_blend_epi8(inside, outside, _mm512_loadu_si512(text.data() + at));
#endif
    return _mm512_mask_loadu_epi8(outside, inside, text.data() + at);
}

// A block's blank space, found by two compares: its blanks, and its bytes of
// tab to carriage return.
struct BlockBlanks {
    std::uint64_t spaces;
    std::uint64_t others;
    std::uint64_t All() const { return spaces | others; }
};

__attribute__((target("avx512f,avx512bw"))) inline BlockBlanks BlanksOf(__m512i bytes)
{
    return {_mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(' ')),
            _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8('\t')), _mm512_set1_epi8('\r' - '\t'))};
}

// Sixty-four bytes at a time: the bytes that stay are gathered by one
// instruction.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) std::size_t
SqueezeBlanksByGathering(std::string_view text, bool dropAll, char *out)
{
    const __m512i blank = _mm512_set1_epi8(' ');
    std::size_t length = 0;
    std::uint64_t blankBefore = 0; // 1 when the block before ended in a blank
    for (std::size_t at = 0; at < text.size(); at += 64) {
        // Past the text's end: blanks, which at its end leave nothing.
        const __m512i bytes = text.size() - at >= 64 ? _mm512_loadu_si512(text.data() + at)
                                                     : LastBlock(text, at, blank);
        const std::uint64_t blanks = BlanksOf(bytes).All();
        const std::uint64_t goes = dropAll ? blanks : blanks & ((blanks << 1) | blankBefore);
        blankBefore = blanks >> 63;
        const __m512i squeezed = _mm512_mask_mov_epi8(bytes, blanks, blank);
        const __m512i packed = _mm512_maskz_compress_epi8(~goes, squeezed);
        // The key so far is no longer than the text so far: the room holds
        // a whole block.
        _mm512_storeu_si512(out + length, packed);
        length += static_cast<std::size_t>(_mm_popcnt_u64(~goes));
    }
    return WithoutLastBlank(out, length, dropAll);
}

__attribute__((target("avx512f,avx512bw,popcnt"))) bool SqueezedAlreadyByMasks(std::string_view text, bool dropAll)
{
    if (EndsInBlank(text))
        return false;
    std::uint64_t blankBefore = 0; // 1 when the block before ended in a blank
    for (std::size_t at = 0; at < text.size(); at += 64) {
        // Past the text's end: zeros, which are not blank.
        const __m512i bytes = text.size() - at >= 64 ? _mm512_loadu_si512(text.data() + at)
                                                     : LastBlock(text, at, _mm512_setzero_si512());
        const BlockBlanks found = BlanksOf(bytes);
        const std::uint64_t blanks = found.All();
        // Only single blanks (' ', and under -b) stay as they are.
        if (found.others != 0 || (dropAll && blanks != 0) || (blanks & ((blanks << 1) | blankBefore)) != 0)
            return false;
        blankBefore = blanks >> 63;
    }
    return true;
}

} // namespace

SqueezeWays GatheringSqueeze()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("avx512bw"))
        return {SqueezeBlanksByGathering, SqueezedAlreadyByMasks};
    return {};
}
#else
} // namespace

SqueezeWays GatheringSqueeze()
{
    return {};
}
#endif

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

// Whether every blank of text is a single ' ' (with none at all under -w).
// Eight bytes at a time; the last word may overlap the one before it, which
// can only make a text look as if it needed squeezing.
bool SqueezedAlreadyByWords(std::string_view text, bool dropAll)
{
    const std::size_t size = text.size();
    if (EndsInBlank(text))
        return false;
    if (size < 8) {
        char squeezed[16];
        return std::string_view(squeezed, SqueezeBlanksByStores(text, dropAll, squeezed)) == text;
    }
    bool blankBefore = false;
    for (std::size_t at = 0;; at += 8) {
        at = std::min(at, size - 8);
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        const std::uint64_t marked = BlankBytes(word);
        if (marked != 0
            && (dropAll || (marked & ~BytesEqualTo(word, ' ')) != 0 || (marked & (marked >> 8)) != 0
                || (blankBefore && (marked & 0x80) != 0)))
            return false;
        blankBefore = (marked >> 63) != 0;
        if (at + 8 == size)
            return true;
    }
}

namespace {

// The fastest ways this processor has, picked once.
const SqueezeWays &Ways()
{
    static const SqueezeWays ways = [] {
        const SqueezeWays gathering = GatheringSqueeze();
        return gathering.squeeze ? gathering : SqueezeWays{SqueezeBlanksByStores, SqueezedAlreadyByWords};
    }();
    return ways;
}

} // namespace

std::size_t SqueezeBlanks(std::string_view text, bool dropAll, char *out)
{
    return Ways().squeeze(text, dropAll, out);
}

bool SqueezedAlready(std::string_view text, bool dropAll)
{
    return Ways().check(text, dropAll);
}

} // namespace lindo
