#include "platform/windows/present_rows.h"

#include <emmintrin.h>

#include <cstring>

namespace plat::win {
namespace {

// Eight 5:6:5 pixels widened: the low halves (G << 8 | B) and the high
// halves (0xFF << 8 | R) of the eight 32-bit results.
inline void Widen8(__m128i v, __m128i* low, __m128i* high) {
    const __m128i five = _mm_set1_epi16(0x1F);
    const __m128i six = _mm_set1_epi16(0x3F);
    __m128i r = _mm_and_si128(_mm_srli_epi16(v, 11), five);
    __m128i g = _mm_and_si128(_mm_srli_epi16(v, 5), six);
    __m128i b = _mm_and_si128(v, five);
    r = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    g = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
    b = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    *low = _mm_or_si128(_mm_slli_epi16(g, 8), b);
    *high = _mm_or_si128(_mm_set1_epi16(static_cast<short>(0xFF00)), r);
}

template <typename Pixel>
void RepeatPixels(Pixel* dest, const Pixel* source, int count, int times) {
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < times; ++k) *dest++ = source[i];
}

template <typename Pixel>
void GatherPixels(Pixel* dest, const Pixel* source, const int* columns, int count) {
    for (int i = 0; i < count; ++i) dest[i] = source[columns[i]];
}

}  // namespace

void Widen565Row(std::uint32_t* dest, const std::uint16_t* source, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i low, high;
        Widen8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)), &low, &high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), _mm_unpacklo_epi16(low, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i + 4), _mm_unpackhi_epi16(low, high));
    }
    for (; i < count; ++i) dest[i] = Widen565(source[i]);
}

void Widen565RowTwice(std::uint32_t* dest, const std::uint16_t* source, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i low, high;
        Widen8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)), &low, &high);
        __m128i first = _mm_unpacklo_epi16(low, high);   // pixels 0-3
        __m128i second = _mm_unpackhi_epi16(low, high);  // pixels 4-7
        auto* out = reinterpret_cast<__m128i*>(dest + 2 * i);
        _mm_storeu_si128(out, _mm_unpacklo_epi32(first, first));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi32(first, first));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi32(second, second));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi32(second, second));
    }
    for (; i < count; ++i) dest[2 * i] = dest[2 * i + 1] = Widen565(source[i]);
}

bool PictureScaler::Draw(const PixelPlane& source, const PixelPlane& dest, bool widen565) {
    const int sw = source.width, sh = source.height, dw = dest.width, dh = dest.height;
    if (!source.bits || !dest.bits || sw <= 0 || sh <= 0 || dw < sw || dh < sh) return false;
    const int bytes = dest.bytesPerPixel;
    if (widen565 ? (source.bytesPerPixel != 2 || bytes != 4)
                 : (source.bytesPerPixel != bytes || (bytes != 2 && bytes != 4)))
        return false;
    const bool whole = dw % sw == 0 && dh % sh == 0;
    const int timesX = dw / sw, timesY = dh / sh;
    const bool direct = whole && (timesX == 1 || (timesX == 2 && widen565));
    if (!direct) {
        // One source row in the destination's format (32-bit words hold
        // either size), then repeated or sampled into the destination row.
        row_.resize(static_cast<std::size_t>(sw));
        if (!whole) {
            columns_.resize(static_cast<std::size_t>(dw));
            for (int j = 0; j < dw; ++j)
                columns_[static_cast<std::size_t>(j)] =
                    static_cast<int>(static_cast<long long>(j) * sw / dw);
        }
    }
    const auto* sourceBytes = static_cast<const unsigned char*>(source.bits);
    auto* destBytes = static_cast<unsigned char*>(dest.bits);
    const std::size_t rowBytes = static_cast<std::size_t>(dw) * static_cast<std::size_t>(bytes);
    int previous = -1;
    for (int i = 0; i < dh; ++i) {
        const int from = whole ? i / timesY : static_cast<int>(static_cast<long long>(i) * sh / dh);
        unsigned char* out = destBytes + static_cast<std::ptrdiff_t>(i) * dest.pitch;
        if (from == previous) {
            std::memcpy(out, out - dest.pitch, rowBytes);
            continue;
        }
        previous = from;
        const unsigned char* in = sourceBytes + static_cast<std::ptrdiff_t>(from) * source.pitch;
        const auto* in16 = reinterpret_cast<const std::uint16_t*>(in);
        if (direct) {
            if (!widen565) std::memcpy(out, in, rowBytes);
            else if (timesX == 1) Widen565Row(reinterpret_cast<std::uint32_t*>(out), in16, sw);
            else Widen565RowTwice(reinterpret_cast<std::uint32_t*>(out), in16, sw);
            continue;
        }
        if (bytes == 4) {
            auto* row = row_.data();
            if (widen565) Widen565Row(row, in16, sw);
            else std::memcpy(row, in, static_cast<std::size_t>(sw) * 4);
            auto* out32 = reinterpret_cast<std::uint32_t*>(out);
            if (whole) RepeatPixels(out32, row, sw, timesX);
            else GatherPixels(out32, row, columns_.data(), dw);
        } else {
            auto* out16 = reinterpret_cast<std::uint16_t*>(out);
            if (whole) RepeatPixels(out16, in16, sw, timesX);
            else GatherPixels(out16, in16, columns_.data(), dw);
        }
    }
    return true;
}

}  // namespace plat::win
