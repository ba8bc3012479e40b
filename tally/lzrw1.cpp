#include "lzrw1.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

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

inline QString percent(qint64 part, qint64 whole) {
    // An empty input gains nothing: report it as 100%.
    return QString::number(whole > 0 ? part * 100 / whole : 100);
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
        const uint32_t here = position(p);
        uint32_t &slot = table[hashOf(uint32_t(word))];
        const uint32_t distance = here - slot;
        slot = here;
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
        const uint32_t here = position(p);
        uint32_t &slot = table[hashOf(word)];
        const uint32_t distance = here - slot;
        slot = here;
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
                const uint32_t here = position(p);
                uint32_t &slot =
                    table[hashOf(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16)];
                distance = here - slot;
                slot = here;
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

// ---------------------------------------------------------------------------
// Tlzrw1

// Compression codes chunks in pairs and so takes two input and two output
// buffers; decompression takes one of each.
struct Tlzrw1::Buffers {
    std::unique_ptr<uint8_t[]> in;
    std::unique_ptr<uint8_t[]> out;
    std::unique_ptr<uint8_t[]> in2;
    std::unique_ptr<uint8_t[]> out2;

    Buffers(const QString &failure, bool pairs)
        : in(allocate()), out(allocate()), in2(pairs ? allocate() : nullptr),
          out2(pairs ? allocate() : nullptr) {
        if (!in || !out || (pairs && (!in2 || !out2)))
            throw ELzrw1Exception(failure);
    }

private:
    static uint8_t *allocate() { return new (std::nothrow) uint8_t[TLZR::BufferSize]; }
};

// Refuses a second operation started from an event handler while one runs.
class Tlzrw1::BusyGuard {
public:
    explicit BusyGuard(Tlzrw1 &owner) : owner_(owner) {
        if (owner_.busy_)
            throw ELzrw1Exception(QStringLiteral("Lzrw1 : an operation is already running !"));
        owner_.busy_ = true;
    }
    ~BusyGuard() { owner_.busy_ = false; }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    Tlzrw1 &owner_;
};

namespace {

const QString BufferFailure =
    QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
const QByteArray FastId = QByteArrayLiteral("WRZL");

// Opens the output file, refusing the input file itself: creating it would
// empty the file that is about to be read.
void openOutput(QFile &out, const QString &inputName) {
    const QFileInfo outInfo(out.fileName());
    const QFileInfo inInfo(inputName);
    const bool same = outInfo.exists() && inInfo.exists() &&
                      outInfo.canonicalFilePath() == inInfo.canonicalFilePath();
    if (same || !out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") +
            out.fileName());
}

// Runs work on an opened output file; if it raises, the file is closed and
// deleted before the error goes on to the caller. Only a regular file is
// deleted: an output such as /dev/null or a pipe is not ours to remove.
template <typename Work> int withOutput(QFile &out, const QString &writeError, Work work) {
    try {
        const int written = work();
        out.close();
        if (out.error() != QFileDevice::NoError)
            throw ELzrw1Exception(writeError);
        return written;
    } catch (...) {
        out.close();
        if (QFileInfo(out.fileName()).isFile())
            out.remove();
        throw;
    }
}

} // namespace

Tlzrw1::Tlzrw1() = default;
Tlzrw1::~Tlzrw1() = default;

void Tlzrw1::caption(const QString &text) {
    if (onCaption_)
        onCaption_(text);
}

void Tlzrw1::idle() {
    if (onIdle_)
        onIdle_();
}

void Tlzrw1::writeOut(QIODevice &out, const void *data, qint64 count) {
    if (out.write(static_cast<const char *>(data), count) != count)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error writing to output file : ") +
                              outputFile_);
    idle();
}

void Tlzrw1::readIn(QIODevice &in, void *data, qint64 count) {
    char *p = static_cast<char *>(data);
    qint64 got = 0;
    while (got < count) {
        const qint64 n = in.read(p + got, count - got);
        if (n <= 0)
            break;
        got += n;
    }
    if (got != count)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error reading from input file : ") +
                              inputFile_);
    idle();
}

TCompressMode Tlzrw1::effectiveMode() {
    const TCompressMode mode = mode_ == Auto ? Advise() : mode_;
    if (mode != Fast)
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 compression : the GOOD (LZH) method is not available, "
                           "use FAST (LZRW1/KH) !"));
    return mode;
}

int Tlzrw1::Compress() {
    effectiveMode();
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure, true);

    QFile in(inputFile_);
    if (!in.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + inputFile_);
    const qint64 size = in.size();
    in.close();
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + inputFile_);

    QFile out(outputFile_);
    openOutput(out, inputFile_);
    return withOutput(out, QStringLiteral("Lzrw1 : Error writing to output file : ") + outputFile_,
                      [&] { return compressBlocks(in, size, out, buffers); });
}

int Tlzrw1::Decompress() {
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure, false);

    QFile in(inputFile_);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + inputFile_);

    QFile out(outputFile_);
    openOutput(out, inputFile_);
    return withOutput(out, QStringLiteral("Lzrw1 : Error writing to output file : ") + outputFile_,
                      [&] { return decompressBlocks(in, out, buffers); });
}

int Tlzrw1::CompressStream(QIODevice &in, qint64 size, QIODevice &out) {
    effectiveMode();
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure, true);
    return compressBlocks(in, size, out, buffers);
}

int Tlzrw1::DecompressStream(QIODevice &in, QIODevice &out) {
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure, false);
    return decompressBlocks(in, out, buffers);
}

int Tlzrw1::compressBlocks(QIODevice &in, qint64 size, QIODevice &out, Buffers &buffers) {
    bytesIn_ = 0;
    bytesOut_ = 0;

    const uint32_t stored = uint32_t(size);
    const uint8_t sizeField[4] = {uint8_t(stored), uint8_t(stored >> 8), uint8_t(stored >> 16),
                                  uint8_t(stored >> 24)};
    writeOut(out, FastId.constData(), 4);
    writeOut(out, sizeField, 4);
    bytesOut_ = 8;

    // Fills a chunk; a short count means the input has ended.
    const auto readChunk = [&](uint8_t *chunk) {
        qint64 got = 0;
        while (got < TLZR::ChunkSize) {
            const qint64 n = in.read(reinterpret_cast<char *>(chunk) + got, TLZR::ChunkSize - got);
            if (n < 0)
                throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error reading from input file : ") +
                                      inputFile_ + QStringLiteral(" (LZRW1/KH)"));
            if (n == 0)
                break;
            got += n;
        }
        idle();
        return int(got);
    };
    const auto writeBlock = [&](int got, const uint8_t *coded, int length) {
        bytesIn_ += got;
        const uint8_t lengthField[2] = {uint8_t(length), uint8_t(length >> 8)};
        writeOut(out, lengthField, 2);
        writeOut(out, coded, length);
        bytesOut_ += 2 + length;
        caption(
            QStringLiteral("(LZRW1/KH) Bytes in : %1 Bytes out : %2").arg(bytesIn_).arg(bytesOut_));
    };

    // Chunks are read and coded two at a time; the last chunk, short or
    // empty, may be the first of a pair and is then coded alone.
    for (;;) {
        const int first = readChunk(buffers.in.get());
        if (first < TLZR::ChunkSize) {
            writeBlock(first, buffers.out.get(),
                       lzr_.CompressBlock(buffers.in.get(), first, buffers.out.get()));
            break;
        }
        const int second = readChunk(buffers.in2.get());
        const auto coded = lzr_.CompressBlocks(buffers.in.get(), first, buffers.out.get(),
                                               buffers.in2.get(), second, buffers.out2.get());
        writeBlock(first, buffers.out.get(), coded[0]);
        writeBlock(second, buffers.out2.get(), coded[1]);
        if (second < TLZR::ChunkSize)
            break;
    }

    caption(inputFile_ + QStringLiteral(" : Lzrw1 : successfully compressed at ") +
            percent(bytesOut_, bytesIn_) + QStringLiteral("%"));
    return int(bytesOut_);
}

int Tlzrw1::decompressBlocks(QIODevice &in, QIODevice &out, Buffers &buffers) {
    char id[4];
    readIn(in, id, 4);
    // Only LZRW1/KH files are read; LZH files are treated like unknown ones.
    if (QByteArray(id, 4) != FastId)
        throw ELzrw1Exception(
            inputFile_ +
            QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"));
    bytesIn_ = 4;
    bytesOut_ = 0;

    uint8_t sizeField[4];
    readIn(in, sizeField, 4);
    bytesIn_ += 4;
    const qint64 stored = qint64(sizeField[0]) | qint64(sizeField[1]) << 8 |
                          qint64(sizeField[2]) << 16 | qint64(sizeField[3]) << 24;
    const QString sizeMismatch = QStringLiteral(
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");

    int lastBlock = TLZR::ChunkSize;
    while (lastBlock == TLZR::ChunkSize) {
        uint8_t lengthField[2];
        readIn(in, lengthField, 2);
        const int coded = lengthField[0] | lengthField[1] << 8;
        if (coded == 0 || coded > TLZR::MaxCodedLength)
            throw ELzrw1Exception(
                QStringLiteral("Lzrw1 (decompression LZRW1/KH) : invalid block length in : ") +
                inputFile_);
        readIn(in, buffers.in.get(), coded);
        bytesIn_ += 2 + coded;

        const int produced = TLZR::DecompressBlock(buffers.in.get(), coded, buffers.out.get());
        if (produced < 0)
            throw ELzrw1Exception(
                QStringLiteral("Lzrw1 (decompression LZRW1/KH) : corrupt block in : ") +
                inputFile_);
        // More output than the header announced can never end well: stop
        // before writing it rather than after the whole file.
        if (bytesOut_ + produced > stored)
            throw ELzrw1Exception(sizeMismatch);
        writeOut(out, buffers.out.get(), produced);
        bytesOut_ += produced;
        lastBlock = produced;
        caption(
            QStringLiteral("(LZRW1/KH) Bytes in : %1 Bytes out : %2").arg(bytesIn_).arg(bytesOut_));
    }
    if (bytesOut_ != stored)
        throw ELzrw1Exception(sizeMismatch);

    caption(inputFile_ + QStringLiteral(" : Lzrw1 : successfully decompressed at ") +
            percent(bytesOut_, bytesIn_) + QStringLiteral("%"));
    return int(bytesOut_);
}

TCompressMode Tlzrw1::Advise() {
    BusyGuard guard(*this);
    caption(QStringLiteral("Guessing the best compression mode for : ") + inputFile_);

    const QFileInfo info(inputFile_);
    if (!info.exists() || !info.isFile())
        throw ELzrw1Exception(QStringLiteral("Lzrw1 advise : can not get the size of : ") +
                              inputFile_);
    const qint64 size = info.size();
    if (size < 3 * qint64(TLZR::ChunkSize)) {
        mode_ = Good;
        caption(QStringLiteral("Lzrw1 recommends GOOD compression :  small file !!"));
        return Good;
    }

    Buffers buffers(QStringLiteral("Lzrw1 advise : Error getting I/O buffers"), true);
    QFile in(inputFile_);
    if (!in.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 advise : can open input file : ") + inputFile_);

    uint8_t *const samples[2] = {buffers.in.get(), buffers.in2.get()};
    const qint64 offsets[2] = {size / 3, size * 2 / 3};
    for (int i = 0; i < 2; ++i) {
        const qint64 start = offsets[i] / TLZR::ChunkSize * TLZR::ChunkSize;
        const qint64 got =
            in.seek(start) ? in.read(reinterpret_cast<char *>(samples[i]), TLZR::ChunkSize) : -1;
        if (got != TLZR::ChunkSize)
            throw ELzrw1Exception(QStringLiteral("Lzrw1 advise : read error on input file : ") +
                                  inputFile_);
    }
    const auto lengths = lzr_.CompressBlocks(samples[0], TLZR::ChunkSize, buffers.out.get(),
                                             samples[1], TLZR::ChunkSize, buffers.out2.get());
    const qint64 coded = qint64(lengths[0]) + lengths[1];
    const qint64 read = 2 * qint64(TLZR::ChunkSize);
    in.close();

    const QString ratio = percent(coded, read) + QStringLiteral("%.");
    if (coded < read * threshold_ / 100) {
        caption(QStringLiteral("Lzrw1 recommends FAST compression : ") + ratio);
        return Fast;
    }
    caption(QStringLiteral("Lzrw1 recommends GOOD compression : ") + ratio);
    return Good;
}
