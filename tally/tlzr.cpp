// The LZRW1/KH block coder: TLZR's coding and decoding of single chunks.

#include "tally/lzrw1.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr int HashSize = 4096;
constexpr int MaxOffset = 4095;
constexpr int MinMatch = 3;
constexpr int MaxMatch = 18;
constexpr int MinRun = 16;
constexpr int MaxRun = 4095;
constexpr int GroupItems = 16;
// Each chunk's table positions are offset by an epoch that grows by this step,
// so that every entry left by an earlier chunk lies more than MaxOffset back
// and counts as empty. That spares clearing the table for every chunk, which
// costs more than coding a small one.
constexpr uint32_t EpochStep = 0x10000;
constexpr uint32_t LastEpoch = 0xFFF00000u;

// Bytes as little-endian numbers, whatever the machine's byte order.
inline uint32_t load32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t load64(const uint8_t *p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap64(v);
    return v;
}

// Number of leading bytes, up to max, on which a and b agree.
inline int matchLength(const uint8_t *a, const uint8_t *b, int max) {
    int k = 0;
    while (k + 8 <= max) {
        if (const uint64_t diff = load64(a + k) ^ load64(b + k))
            return k + std::countr_zero(diff) / 8;
        k += 8;
    }
    while (k < max && a[k] == b[k])
        ++k;
    return k;
}

// The table entry for the three bytes that start at the low end of word.
inline uint32_t hashOf(uint32_t word) {
    const uint32_t key = ((word & 0xFF) << 8) ^ ((word >> 4) & 0xFF0) ^ ((word >> 16) & 0xFF);
    return ((key * 40543u) >> 4) & 0xFFF;
}

// One chunk being coded. The control bits carry a marker bit above the items
// of the current group, so that the marker reaching bit 16 says the group is
// full.
struct Lane {
    const uint8_t *src;
    const uint8_t *end;
    uint8_t *dst;
    uint32_t *table;
    uint32_t bias; // added to a byte's address, gives its position in the table
    const uint8_t *p;
    uint8_t *out;
    uint8_t *control;
    uint32_t bits;
    // The fast loops stop where a comparison could run past the chunk or the
    // output could pass n, which the exact loop then checks item by item.
    const uint8_t *fastEnd;
    uint8_t *fastOut;

    Lane(const uint8_t *chunk, int n, uint8_t *coded, uint32_t *hash, uint32_t epoch)
        : src(chunk), end(chunk + n), dst(coded), table(hash),
          bias(epoch - uint32_t(reinterpret_cast<uintptr_t>(chunk))), p(chunk), out(coded + 3),
          control(coded + 1), bits(1), fastEnd(n > MaxMatch ? end - MaxMatch : chunk),
          fastOut(coded + std::max(n - 6, 0)) {
        dst[0] = TLZR::FlagCoded;
    }

    bool fast() const { return p < fastEnd && out < fastOut; }

    uint32_t position(const uint8_t *at) const {
        return uint32_t(reinterpret_cast<uintptr_t>(at)) + bias;
    }

    // Enters p in the table under the hash of the three bytes at the low end
    // of word, and returns how far back the position it replaces lies.
    [[gnu::always_inline]] uint32_t enter(uint32_t word) {
        const uint32_t here = position(p);
        uint32_t &slot = table[hashOf(word)];
        const uint32_t distance = here - slot;
        slot = here;
        return distance;
    }

    [[gnu::always_inline]] void closeGroupIfFull() {
        if (bits & 0x10000) [[unlikely]] {
            control[0] = uint8_t(bits >> 8);
            control[1] = uint8_t(bits);
            control = out;
            out += 2;
            bits = 1;
        }
    }

    [[gnu::always_inline]] void putRun(int length) {
        const int count = length - MinRun;
        out[0] = 0;
        out[1] = uint8_t(count >> 8);
        out[2] = uint8_t(count);
        out[3] = p[0];
        out += 4;
        p += length;
        bits = (bits << 1) | 1;
    }

    [[gnu::always_inline]] void putCopy(uint32_t distance, int length) {
        const uint32_t v = distance * 16 + uint32_t(length - MinMatch);
        out[0] = uint8_t(v >> 8);
        out[1] = uint8_t(v);
        out += 2;
        p += length;
        bits = (bits << 1) | 1;
    }

    [[gnu::always_inline]] void putLiteral() {
        *out++ = *p++;
        bits <<= 1;
    }

    // Codes a run item when at least 16 equal bytes start at p. A run starts
    // with four equal bytes; most positions fail that test at once.
    [[gnu::always_inline]] bool run(uint32_t word) {
        if (((word ^ (word >> 8)) & 0xFFFFFF) != 0) [[likely]]
            return false;
        const uint8_t c = p[0];
        const int max = int(std::min<std::ptrdiff_t>(MaxRun, end - p));
        int length = 4;
        while (length < max && p[length] == c)
            ++length;
        if (length < MinRun)
            return false;
        putRun(length);
        return true;
    }

    // One item of the fast stretch. The choice between literal and copy is
    // made with arithmetic rather than a branch: two lanes coded this way
    // overlap their work instead of waiting on each other's mispredictions.
    [[gnu::always_inline]] void stepWithoutBranches() {
        closeGroupIfFull();
        const uint64_t word = load64(p);
        if (run(uint32_t(word)))
            return;
        const uint32_t distance = enter(uint32_t(word));
        // Out of reach, the candidate is replaced by the chunk's start, which
        // is always readable; the comparison's result is then ignored.
        const uint8_t *const from = distance <= MaxOffset ? p - distance : src;
        int length = std::countr_zero(word ^ load64(from)) / 8;
        if (length == 8) [[unlikely]]
            length = 8 + matchLength(p + 8, from + 8, MaxMatch - 8);
        const uint32_t copy = uint32_t(distance <= MaxOffset) & uint32_t(length >= MinMatch);
        const uint32_t mask = 0u - copy;
        const uint32_t v = distance * 16 + uint32_t(length - MinMatch);
        out[0] = uint8_t(((v >> 8) & mask) | (uint32_t(word) & ~mask));
        out[1] = uint8_t(v);
        out += 1 + copy;
        p += 1 + (uint32_t(length - 1) & mask);
        bits = (bits << 1) | copy;
    }

    // One item of the fast stretch of a lane coded alone. Here branches pay:
    // the processor runs ahead along the likelier path.
    [[gnu::always_inline]] void stepWithBranches() {
        closeGroupIfFull();
        const uint32_t word = load32(p);
        if (run(word))
            return;
        const uint32_t distance = enter(word);
        if (distance <= MaxOffset && ((load32(p - distance) ^ word) & 0xFFFFFF) == 0) {
            putCopy(distance, MinMatch + matchLength(p + MinMatch, p - distance + MinMatch,
                                                     MaxMatch - MinMatch));
        } else {
            putLiteral();
        }
    }

    // The rest of the chunk, every limit checked; then the last control word
    // and the choice between coded and stored. Returns the coded length.
    int finish() {
        const int n = int(end - src);
        while (p < end && out - dst <= n) {
            closeGroupIfFull();
            const int left = int(end - p);
            int runLength = 1;
            while (runLength < std::min(left, MaxRun) && p[runLength] == p[0])
                ++runLength;
            if (runLength >= MinRun) {
                putRun(runLength);
                continue;
            }
            // Fewer than three bytes left can never make a match, so the hash
            // is only taken where its three bytes lie inside the chunk.
            int length = 0;
            uint32_t distance = 0;
            if (left >= MinMatch) {
                distance = enter(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
                if (distance <= MaxOffset)
                    length = matchLength(p, p - distance, std::min(left, MaxMatch));
            }
            if (length >= MinMatch)
                putCopy(distance, length);
            else
                putLiteral();
        }

        const int items = std::bit_width(bits) - 1;
        const uint32_t last = (bits << (GroupItems - items)) & 0xFFFF;
        control[0] = uint8_t(last >> 8);
        control[1] = uint8_t(last);

        if (out - dst > n) {
            dst[0] = TLZR::FlagStored;
            if (n > 0)
                std::memcpy(dst + 1, src, size_t(n));
            return n + 1;
        }
        return int(out - dst);
    }
};

// The fast loops work on copies of their lanes whose address is never taken,
// so that the byte stores of the coding cannot alias them and the compiler
// keeps them in registers.

void codeFast(Lane &lane) {
    Lane l = lane;
    while (l.fast())
        l.stepWithBranches();
    lane = l;
}

// Two lanes item by item in turn, while both are in their fast stretch.
void codeFastTogether(Lane &first, Lane &second) {
    Lane a = first;
    Lane b = second;
    while (a.fast() && b.fast()) {
        a.stepWithoutBranches();
        b.stepWithoutBranches();
    }
    first = a;
    second = b;
}

} // namespace

// ---------------------------------------------------------------------------
// TLZR

TLZR::TLZR() : hash_(new (std::nothrow) uint32_t[2 * HashSize]) {
    if (!hash_)
        throw ELzrw1KHCompressor(QStringLiteral("LZRW1KH : no memory for HASH table"));
    std::fill(hash_.get(), hash_.get() + 2 * HashSize, 0u);
}

TLZR::~TLZR() = default;

uint32_t TLZR::nextEpoch() {
    epoch_ += EpochStep;
    if (epoch_ > LastEpoch) {
        std::fill(hash_.get(), hash_.get() + 2 * HashSize, 0u);
        epoch_ = EpochStep;
    }
    return epoch_;
}

int TLZR::CompressBlock(const uint8_t *src, int n, uint8_t *dst) {
    n = std::clamp(n, 0, ChunkSize);
    Lane lane(src, n, dst, hash_.get(), nextEpoch());
    codeFast(lane);
    return lane.finish();
}

std::array<int, 2> TLZR::CompressBlocks(const uint8_t *first, int n1, uint8_t *firstDst,
                                        const uint8_t *second, int n2, uint8_t *secondDst) {
    n1 = std::clamp(n1, 0, ChunkSize);
    n2 = std::clamp(n2, 0, ChunkSize);
    const uint32_t epoch = nextEpoch();
    Lane a(first, n1, firstDst, hash_.get(), epoch);
    Lane b(second, n2, secondDst, hash_.get() + HashSize, epoch);
    codeFastTogether(a, b);
    codeFast(a);
    codeFast(b);
    return {a.finish(), b.finish()};
}

int TLZR::DecompressBlock(const uint8_t *src, int L, uint8_t *dst) {
    if (L < 2)
        return 0;
    if (src[0] == FlagStored) {
        if (L - 1 > ChunkSize)
            return -1;
        std::memcpy(dst, src + 1, size_t(L - 1));
        return L - 1;
    }
    if (L < 3)
        return -1; // the first control word is cut off

    const uint8_t *ip = src + 3;
    const uint8_t *const iend = src + L;
    uint8_t *op = dst;
    uint8_t *const oend = dst + ChunkSize;
    // The control word sits in the top half, so that shifting drops used bits.
    uint32_t control = (uint32_t(src[1]) << 24) | uint32_t(src[2]) << 16;
    int available = 16;

    while (ip < iend) {
        if (available == 0) {
            // A control word must be followed by at least one item byte.
            if (iend - ip < 3)
                return -1;
            control = (uint32_t(ip[0]) << 24) | uint32_t(ip[1]) << 16;
            ip += 2;
            available = 16;
        }
        if (iend - ip >= 20 && oend - op >= 34) {
            // Far from both ends: up to 16 literals and the copy after them
            // (at most 20 bytes in, 34 out) need no bounds checks.
            const int k = std::min(std::countl_zero(control), available);
            std::memcpy(op, ip, 16);
            op += k;
            ip += k;
            control <<= k;
            available -= k;
            if (available == 0)
                continue;
            const int offset = (int(ip[0]) << 4) | (ip[1] >> 4);
            if (offset >= 8 && offset <= op - dst) {
                // Eight bytes at a time: each move reads only bytes that are
                // already final, even where the copy overlaps itself. The
                // bytes written beyond the copy's end land in the output
                // margin or are written over by the next items.
                const uint8_t *from = op - offset;
                std::memcpy(op, from, 8);
                std::memcpy(op + 8, from + 8, 8);
                std::memcpy(op + 16, from + 16, 8);
                op += (ip[1] & 0x0F) + MinMatch;
                ip += 2;
                control <<= 1;
                --available;
                continue;
            }
            // A run, a copy from fewer than 8 bytes back or a bad offset:
            // handled below.
        }
        // The literals before the next copy or run, one per leading zero
        // bit, moved at once. Taking this step even when there are none
        // spares a branch on each item's kind, which text makes unpredictable.
        const int zeros = std::countl_zero(control);
        const int k = int(std::min<ptrdiff_t>(std::min(zeros, available), iend - ip));
        if (k > oend - op)
            return -1;
        // Sixteen bytes are moved when the block has them: the surplus
        // lands in the output margin or is overwritten by later items.
        if (iend - ip >= 16)
            std::memcpy(op, ip, 16);
        else
            std::memcpy(op, ip, size_t(k));
        op += k;
        ip += k;
        control <<= k;
        available -= k;
        if (available == 0 || ip == iend)
            continue;

        if (iend - ip < 2)
            return -1;
        const int offset = (int(ip[0]) << 4) | (ip[1] >> 4);
        if (offset == 0) {
            if (iend - ip < 4)
                return -1;
            const int count = ((int(ip[1]) << 8) | ip[2]) + MinRun;
            if (count > oend - op)
                return -1;
            std::memset(op, ip[3], size_t(count));
            op += count;
            ip += 4;
        } else {
            const int length = (ip[1] & 0x0F) + MinMatch;
            if (offset > op - dst || length > oend - op)
                return -1;
            const uint8_t *from = op - offset;
            if (offset >= MaxMatch) {
                // Source and destination do not overlap; the bytes moved past
                // the copy's end land in the output margin or are written
                // over by the next items.
                std::memcpy(op, from, 16);
                std::memcpy(op + 16, from + 16, 2);
            } else if (offset >= length) {
                std::memcpy(op, from, size_t(length));
            } else {
                // Overlapping copy: byte by byte, so it repeats what it writes.
                for (int i = 0; i < length; ++i)
                    op[i] = from[i];
            }
            op += length;
            ip += 2;
        }
        control <<= 1;
        --available;
    }
    return int(op - dst);
}
