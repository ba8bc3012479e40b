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
constexpr int16_t Empty = -32768;

// Number of leading bytes, up to max, on which a and b agree.
inline int matchLength(const uint8_t *a, const uint8_t *b, int max) {
    int k = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (k + 8 <= max) {
            uint64_t x, y;
            std::memcpy(&x, a + k, 8);
            std::memcpy(&y, b + k, 8);
            if (const uint64_t diff = x ^ y)
                return k + std::countr_zero(diff) / 8;
            k += 8;
        }
    }
    while (k < max && a[k] == b[k])
        ++k;
    return k;
}

// Number of bytes from p on, up to max, that equal *p.
inline int runLength(const uint8_t *p, int max) {
    if (max < 2 || p[1] != p[0])
        return 1;
    const uint8_t c = p[0];
    int r = 2;
    while (r < max && p[r] == c)
        ++r;
    return r;
}

inline uint32_t hashOf(uint32_t c0, uint32_t c1, uint32_t c2) {
    const uint32_t key = (((c0 << 4) ^ c1) << 4) ^ c2;
    return ((key * 40543u) >> 4) & 0xFFF;
}

// Four bytes as a little-endian number, whatever the machine's byte order.
inline uint32_t load32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline QString percent(qint64 part, qint64 whole) {
    // An empty input gains nothing: report it as 100%.
    return QString::number(whole > 0 ? part * 100 / whole : 100);
}

} // namespace

// ---------------------------------------------------------------------------
// TLZR

TLZR::TLZR() : hash_(new (std::nothrow) int16_t[HashSize]) {
    if (!hash_)
        throw ELzrw1KHCompressor(QStringLiteral("LZRW1KH : no memory for HASH table"));
}

TLZR::~TLZR() = default;

int TLZR::CompressBlock(const uint8_t *src, int n, uint8_t *dst) {
    // An empty entry holds a position so far back that it is never within a
    // copy's reach, which spares a separate test for "empty".
    int16_t *const table = hash_.get();
    std::fill(table, table + HashSize, Empty);

    dst[0] = FlagCoded;
    int control = 1; // where the current group's control word goes
    int out = 3;
    uint32_t bits = 0;
    int items = 0;
    int pos = 0;

    while (pos < n && out <= n) {
        if (items == GroupItems) {
            dst[control] = uint8_t(bits >> 8);
            dst[control + 1] = uint8_t(bits);
            control = out;
            out += 2;
            items = 0;
        }

        const uint8_t *const p = src + pos;
        const int left = n - pos;
        const uint32_t word = left >= 4 ? load32(p) : 0;
        // A run of 16 starts with four equal bytes; most positions fail that
        // test at once and go straight to the match search.
        if (left >= 4 && ((word ^ (word >> 8)) & 0xFFFFFF) == 0) {
            const int run = runLength(p, std::min(left, MaxRun));
            if (run >= MinRun) {
                const int count = run - MinRun;
                dst[out] = 0;
                dst[out + 1] = uint8_t(count >> 8);
                dst[out + 2] = uint8_t(count);
                dst[out + 3] = p[0];
                out += 4;
                pos += run;
                bits = ((bits << 1) | 1) & 0xFFFF;
                ++items;
                continue;
            }
        }

        uint32_t bit;
        if (left >= MaxMatch) {
            // Away from the chunk's end a full-length comparison is always
            // possible. Most candidates differ in their first three bytes and
            // are dismissed with one comparison.
            const uint32_t h = hashOf(word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
            const int candidate = table[h];
            table[h] = int16_t(pos);
            const int distance = pos - candidate;
            if (distance <= MaxOffset && ((load32(src + candidate) ^ word) & 0xFFFFFF) == 0) {
                const int length = matchLength(p, src + candidate, MaxMatch);
                const uint32_t v = uint32_t(distance) * 16 + uint32_t(length - MinMatch);
                dst[out] = uint8_t(v >> 8);
                dst[out + 1] = uint8_t(v);
                out += 2;
                pos += length;
                bit = 1;
            } else {
                dst[out++] = p[0];
                ++pos;
                bit = 0;
            }
        } else {
            int length = 0;
            int candidate = 0;
            // Fewer than three bytes left can never make a match, so the hash
            // is only taken where its three bytes lie inside the chunk.
            if (left >= MinMatch) {
                const uint32_t h = hashOf(p[0], p[1], p[2]);
                candidate = table[h];
                table[h] = int16_t(pos);
                if (pos - candidate <= MaxOffset)
                    length = matchLength(p, src + candidate, left);
            }
            if (length >= MinMatch) {
                const uint32_t v = uint32_t(pos - candidate) * 16 + uint32_t(length - MinMatch);
                dst[out] = uint8_t(v >> 8);
                dst[out + 1] = uint8_t(v);
                out += 2;
                pos += length;
                bit = 1;
            } else {
                dst[out++] = p[0];
                ++pos;
                bit = 0;
            }
        }
        bits = ((bits << 1) | bit) & 0xFFFF;
        ++items;
    }

    bits = (bits << (GroupItems - items)) & 0xFFFF;
    dst[control] = uint8_t(bits >> 8);
    dst[control + 1] = uint8_t(bits);

    if (out > n) {
        dst[0] = FlagStored;
        if (n > 0)
            std::memcpy(dst + 1, src, size_t(n));
        return n + 1;
    }
    return out;
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
            if (offset >= MaxMatch && offset <= op - dst) {
                const uint8_t *from = op - offset;
                std::memcpy(op, from, 16);
                std::memcpy(op + 16, from + 16, 2);
                op += (ip[1] & 0x0F) + MinMatch;
                ip += 2;
                control <<= 1;
                --available;
                continue;
            }
            // A run, an overlapping copy or a bad offset: handled below.
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

struct Tlzrw1::Buffers {
    std::unique_ptr<uint8_t[]> in;
    std::unique_ptr<uint8_t[]> out;

    explicit Buffers(const QString &failure)
        : in(new (std::nothrow) uint8_t[TLZR::BufferSize]),
          out(new (std::nothrow) uint8_t[TLZR::BufferSize]) {
        if (!in || !out)
            throw ELzrw1Exception(failure);
    }
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
    Buffers buffers(BufferFailure);

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
    Buffers buffers(BufferFailure);

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
    Buffers buffers(BufferFailure);
    return compressBlocks(in, size, out, buffers);
}

int Tlzrw1::DecompressStream(QIODevice &in, QIODevice &out) {
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure);
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

    for (;;) {
        // Fill the chunk; a short count means the input has ended.
        qint64 got = 0;
        while (got < TLZR::ChunkSize) {
            const qint64 n =
                in.read(reinterpret_cast<char *>(buffers.in.get()) + got, TLZR::ChunkSize - got);
            if (n < 0)
                throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error reading from input file : ") +
                                      inputFile_ + QStringLiteral(" (LZRW1/KH)"));
            if (n == 0)
                break;
            got += n;
        }
        idle();
        bytesIn_ += got;

        const int coded = lzr_.CompressBlock(buffers.in.get(), int(got), buffers.out.get());
        const uint8_t lengthField[2] = {uint8_t(coded), uint8_t(coded >> 8)};
        writeOut(out, lengthField, 2);
        writeOut(out, buffers.out.get(), coded);
        bytesOut_ += 2 + coded;
        caption(
            QStringLiteral("(LZRW1/KH) Bytes in : %1 Bytes out : %2").arg(bytesIn_).arg(bytesOut_));
        if (got < TLZR::ChunkSize)
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

    Buffers buffers(QStringLiteral("Lzrw1 advise : Error getting I/O buffers"));
    QFile in(inputFile_);
    if (!in.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(QStringLiteral("Lzrw1 advise : can open input file : ") + inputFile_);

    qint64 coded = 0;
    qint64 read = 0;
    for (const qint64 at : {size / 3, size * 2 / 3}) {
        const qint64 start = at / TLZR::ChunkSize * TLZR::ChunkSize;
        const qint64 got =
            in.seek(start) ? in.read(reinterpret_cast<char *>(buffers.in.get()), TLZR::ChunkSize)
                           : -1;
        if (got != TLZR::ChunkSize)
            throw ELzrw1Exception(QStringLiteral("Lzrw1 advise : read error on input file : ") +
                                  inputFile_);
        coded += lzr_.CompressBlock(buffers.in.get(), int(got), buffers.out.get());
        read += got;
    }
    in.close();

    const QString ratio = percent(coded, read) + QStringLiteral("%.");
    if (coded < read * threshold_ / 100) {
        caption(QStringLiteral("Lzrw1 recommends FAST compression : ") + ratio);
        return Fast;
    }
    caption(QStringLiteral("Lzrw1 recommends GOOD compression : ") + ratio);
    return Good;
}
