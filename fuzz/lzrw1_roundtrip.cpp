// Compresses arbitrary bytes, decompresses them again and compares: the
// result must be the input, and no block may grow by more than its flag byte.
// Chunks coded in pairs must come out as they do alone.

#include "tally/lzrw1.h"

#include <QBuffer>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Tlzrw1 codec;
    static TLZR lzr;
    static const std::unique_ptr<uint8_t[]> coded(new uint8_t[TLZR::BufferSize]);
    static const std::unique_ptr<uint8_t[]> decoded(new uint8_t[TLZR::BufferSize]);

    // One block on its own.
    const int n = int(std::min(size, size_t(TLZR::ChunkSize)));
    const int length = lzr.CompressBlock(data, n, coded.get());
    if (length < 1 || length > n + 1)
        std::abort();
    const int back = TLZR::DecompressBlock(coded.get(), length, decoded.get());
    if (back != n || (n > 0 && std::memcmp(decoded.get(), data, size_t(n)) != 0))
        std::abort();

    // The input cut into two chunks and coded as a pair: each must come out
    // as it does alone.
    static const std::unique_ptr<uint8_t[]> second(new uint8_t[TLZR::BufferSize]);
    static const std::unique_ptr<uint8_t[]> alone(new uint8_t[TLZR::BufferSize]);
    if (size >= 1) {
        const size_t cut = std::min(size_t(data[0]) * 128, size);
        const int n1 = int(std::min(cut, size_t(TLZR::ChunkSize)));
        const int n2 = int(std::min(size - cut, size_t(TLZR::ChunkSize)));
        const auto lengths =
            lzr.CompressBlocks(data, n1, coded.get(), data + cut, n2, second.get());
        if (lzr.CompressBlock(data, n1, alone.get()) != lengths[0] ||
            std::memcmp(alone.get(), coded.get(), size_t(lengths[0])) != 0 ||
            lzr.CompressBlock(data + cut, n2, alone.get()) != lengths[1] ||
            std::memcmp(alone.get(), second.get(), size_t(lengths[1])) != 0)
            std::abort();
    }

    // The whole input as a file.
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    codec.setCompressMode(Fast);
    QBuffer source;
    source.setData(input);
    source.open(QIODevice::ReadOnly);
    QBuffer packed;
    packed.open(QIODevice::WriteOnly);
    const int written = codec.CompressStream(source, qint64(size), packed);
    if (written != packed.data().size())
        std::abort();

    QBuffer reread;
    reread.setData(packed.data());
    reread.open(QIODevice::ReadOnly);
    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    if (codec.DecompressStream(reread, plain) != int(size) || plain.data() != input)
        std::abort();
    return 0;
}
