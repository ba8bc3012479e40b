// Feeds arbitrary bytes to the LZRW1/KH decoder, both as one coded block and
// as a whole compressed file. Nothing may crash, read or write outside its
// buffers, or produce more than the limits allow.

#include "tally/lzrw1.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The input buffer is exactly size bytes long, so any read beyond the
    // block shows; the output buffer is exactly as large as promised.
    static const std::unique_ptr<uint8_t[]> out(new uint8_t[TLZR::BufferSize]);
    if (size <= size_t(TLZR::MaxCodedLength)) {
        const int n = TLZR::DecompressBlock(data, int(size), out.get());
        if (n > TLZR::ChunkSize)
            std::abort();
    }

    static Tlzrw1 codec;
    QBuffer in;
    in.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    try {
        const int written = codec.DecompressStream(in, plain);
        // A file is accepted only when it decodes to exactly the size it states.
        if (size < 8 || written != plain.data().size())
            std::abort();
        const uint32_t stated = uint32_t(data[4]) | uint32_t(data[5]) << 8 |
                                uint32_t(data[6]) << 16 | uint32_t(data[7]) << 24;
        if (uint32_t(written) != stated)
            std::abort();
    } catch (const ELzrw1Exception &) {
    }
    return 0;
}
