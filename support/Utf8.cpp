#include "support/Utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Bounds of the second byte of a sequence depend on its lead byte; this excludes overlong forms,
// encoded surrogates and values above U+10FFFF at the earliest possible byte.
struct LeadInfo {
    int following; // continuation bytes still needed, -1 for an invalid lead
    unsigned char low, high;
};

LeadInfo InfoOfLead(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {1, 0x80, 0xBF};
    if (lead == 0xE0)
        return {2, 0xA0, 0xBF};
    if (lead == 0xED)
        return {2, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {2, 0x80, 0xBF};
    if (lead == 0xF0)
        return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {3, 0x80, 0xBF};
    if (lead == 0xF4)
        return {3, 0x80, 0x8F};
    return {-1, 0, 0};
}

constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Eight ASCII bytes, and with dropCr none of them a carriage return (the classic test for a zero byte,
// applied to the word with every byte exclusive-ored with 0x0D).
template <bool dropCr> bool EightPlainAscii(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (word & kHighBits)
        return false;
    if constexpr (dropCr) {
        const uint64_t crCleared = word ^ (kEveryByte * 0x0D);
        if ((crCleared - kEveryByte) & ~crCleared & kHighBits)
            return false;
    }
    return true;
}

template <bool dropCr> int DecodeUtf8(const unsigned char* bytes, size_t count, char16_t* out) {
    char16_t* const start = out;
    size_t i = 0;
    while (i < count) {
#if defined(__SSE2__)
        // Markup and most text of the program's files is ASCII: widen it sixteen bytes at a time. All sixteen
        // units are stored even when a byte needs the slow path; only those before it count. That stays in
        // bounds because the output never runs ahead of the input.
        while (i + 16 <= count) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            int special = _mm_movemask_epi8(block);
            if constexpr (dropCr)
                special |= _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(0x0D)));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
            const int plain = special ? __builtin_ctz(static_cast<unsigned>(special)) : 16;
            out += plain;
            i += plain;
            if (special)
                break;
        }
#endif
        // The rest of the ASCII eight bytes at a time.
        while (i + 8 <= count && EightPlainAscii<dropCr>(bytes + i)) {
            for (int k = 0; k < 8; ++k)
                out[k] = bytes[i + k];
            out += 8;
            i += 8;
        }
        if (i >= count)
            break;
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            if (!dropCr || lead != 0x0D)
                *out++ = lead;
            ++i;
            continue;
        }
        const LeadInfo info = InfoOfLead(lead);
        ++i;
        if (info.following < 0) {
            *out++ = kReplacement;
            continue;
        }
        uint32_t code = lead & (0x3F >> info.following);
        unsigned char low = info.low, high = info.high;
        bool complete = true;
        for (int k = 0; k < info.following; ++k) {
            if (i >= count || bytes[i] < low || bytes[i] > high) {
                complete = false; // the offending byte starts the next sequence
                break;
            }
            code = (code << 6) | (bytes[i] & 0x3F);
            ++i;
            low = 0x80;
            high = 0xBF;
        }
        if (!complete) {
            *out++ = kReplacement;
        } else if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(code);
        }
    }
    return static_cast<int>(out - start);
}

} // namespace

int Utf8::Decode(const unsigned char* bytes, size_t count, char16_t* out) {
    return DecodeUtf8<false>(bytes, count, out);
}

int Utf8::DecodeWithoutCr(const unsigned char* bytes, size_t count, char16_t* out) {
    return DecodeUtf8<true>(bytes, count, out);
}

void Utf8::Encode(const char16_t* units, int count, std::string& out) {
    if (count <= 0)
        return;
    const size_t before = out.size();
    out.resize(before + static_cast<size_t>(count) * 3); // no unit takes more than 3 bytes; a pair takes 4
    char* p = out.data() + before;
    for (int i = 0; i < count; ++i) {
        uint32_t code = units[i];
        if (code < 0x80) {
            *p++ = static_cast<char>(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        if (code < 0x800) {
            *p++ = static_cast<char>(0xC0 | (code >> 6));
            *p++ = static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (code >> 12));
            *p++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (code & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (code >> 18));
            *p++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(p - out.data()));
}
