#pragma once

// LZRW1/KH file compressor.
//
// A file is stored as the identifier "WRZL", its uncompressed size (4 bytes,
// little-endian) and a sequence of blocks, one for every 32,768-byte chunk of
// the input; the last chunk is shorter and may be empty. Each block is a
// 16-bit little-endian coded length followed by the coded chunk. TLZR codes one
// chunk; Tlzrw1 reads and writes whole files (or devices) block by block.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

class QIODevice;

// Raised for every failure of a compression, decompression or advice.
class ELzrw1Exception : public std::runtime_error {
public:
    explicit ELzrw1Exception(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Raised when the block coder cannot be made.
class ELzrw1KHCompressor : public std::runtime_error {
public:
    explicit ELzrw1KHCompressor(const QString &message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// The LZRW1/KH block coder.
//
// A coded chunk starts with a flag byte: 0x80 means the chunk follows
// unchanged, anything else means items follow. Items come in groups of up to
// 16 behind a big-endian control word whose bits, from the top, tell a literal
// byte (0) from a copy or run item (1). A copy item is two bytes holding a
// 12-bit offset (1..4095) and a 4-bit length - 3; a run item is four bytes,
// 0x00, the 12-bit count - 16 and the repeated byte.
class TLZR {
public:
    static constexpr int ChunkSize = 32768;
    // Largest coded length a block may carry: a stored full chunk.
    static constexpr int MaxCodedLength = ChunkSize + 1;
    // Size of the buffers handed to CompressBlock and DecompressBlock. The
    // margin above a chunk lets the coder overshoot before it decides to store,
    // and lets the decoder move short copies with fixed-size moves.
    static constexpr int BufferSize = 32784;

    static constexpr uint8_t FlagCoded = 0x40;
    static constexpr uint8_t FlagStored = 0x80;

    TLZR();
    ~TLZR();
    TLZR(const TLZR &) = delete;
    TLZR &operator=(const TLZR &) = delete;

    // Codes the n bytes at src (0 <= n <= ChunkSize) into dst, which must hold
    // BufferSize bytes; returns the coded length (1 .. n + 1).
    int CompressBlock(const uint8_t *src, int n, uint8_t *dst);

    // Codes two chunks at once, each exactly as CompressBlock would, and
    // returns their coded lengths. Chunks are coded independently of each
    // other, so a file's chunks can be coded in pairs; working on two at a
    // time keeps the processor busy while each chunk waits on its own table.
    std::array<int, 2> CompressBlocks(const uint8_t *first, int n1, uint8_t *firstDst,
                                      const uint8_t *second, int n2, uint8_t *secondDst);

    // Decodes the coded chunk of length L at src into dst, which must hold
    // BufferSize bytes. Returns the number of bytes produced (at most
    // ChunkSize), or -1 when the block is malformed: a copy reaching back
    // before the start of the output, more than ChunkSize bytes of output, or
    // an item or control word cut off by the end of the block. Reads only
    // src[0 .. L-1]; writes only inside dst.
    static int DecompressBlock(const uint8_t *src, int L, uint8_t *dst);

private:
    uint32_t nextEpoch();

    // Two tables of 4,096 chunk positions, one for each chunk of a pair.
    std::unique_ptr<uint32_t[]> hash_;
    uint32_t epoch_ = 0;
};

enum TCompressMode { Good, Fast, Auto };

// The file compressor. Fast selects LZRW1/KH; Good (LZH, identifier "!HZL")
// is not part of this program: compressing with it is refused, and "!HZL"
// files are refused as files without a valid header.
class Tlzrw1 {
public:
    using TCaptionEvent = std::function<void(const QString &caption)>;
    using TIdleEvent = std::function<void()>;

    Tlzrw1();
    ~Tlzrw1();
    Tlzrw1(const Tlzrw1 &) = delete;
    Tlzrw1 &operator=(const Tlzrw1 &) = delete;

    // Properties.
    QString InputFile() const { return inputFile_; }
    void setInputFile(const QString &name) { inputFile_ = name; }
    QString OutputFile() const { return outputFile_; }
    void setOutputFile(const QString &name) { outputFile_ = name; }
    TCompressMode CompressMode() const { return mode_; }
    void setCompressMode(TCompressMode mode) { mode_ = mode; }
    int Threshold() const { return threshold_; }
    void setThreshold(int percent) { threshold_ = percent; }

    // Receives the progress texts a visible compressor would show.
    void setOnCaption(TCaptionEvent handler) { onCaption_ = std::move(handler); }
    // Called after every block read and write, so that a window can let its
    // event loop run while a long file is being coded.
    void setOnIdle(TIdleEvent handler) { onIdle_ = std::move(handler); }

    // Compresses InputFile into OutputFile (replacing it); returns the number of
    // bytes written, header included.
    //
    // For both directions, InputFile must be a regular file, and OutputFile
    // must not be that same file under any name. A regular OutputFile is
    // replaced only when everything has been written: after an error it is
    // as it was before (or still absent), and no temporary file is left. An
    // OutputFile that is a device or a pipe is written directly.
    int Compress();
    // Decompresses InputFile into OutputFile; returns the number of bytes written.
    int Decompress();
    // Estimates which method suits InputFile.
    TCompressMode Advise();

    // The same coding between two open devices: size is the number of bytes
    // the input will deliver. Error messages name InputFile and OutputFile.
    // The output is left as it stands when an error is raised.
    int CompressStream(QIODevice &in, qint64 size, QIODevice &out);
    int DecompressStream(QIODevice &in, QIODevice &out);

private:
    struct Buffers;
    class BusyGuard;

    TCompressMode effectiveMode();
    void caption(const QString &text);
    void idle();
    int compressBlocks(QIODevice &in, qint64 size, QIODevice &out, Buffers &buffers);
    int decompressBlocks(QIODevice &in, QIODevice &out, Buffers &buffers);
    void writeOut(QIODevice &out, const void *data, qint64 count);
    void readIn(QIODevice &in, void *data, qint64 count);

    QString inputFile_;
    QString outputFile_;
    TCompressMode mode_ = Good;
    int threshold_ = 40;
    TCaptionEvent onCaption_;
    TIdleEvent onIdle_;
    TLZR lzr_;
    bool busy_ = false;
    qint64 bytesIn_ = 0;
    qint64 bytesOut_ = 0;
};
