// The LZRW1/KH file compressor: Tlzrw1's container, files and advice.

#include "tally/lzrw1.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Opens the input file for reading and returns its status in info. Only a
// regular file is read: the descriptor is opened without waiting and checked
// before anything is read, so that a pipe with no writer cannot stall the
// program and a device is not read from. openFailure is the message for an
// input that cannot be opened at all.
void openInput(QFile &in, const QString &name, struct stat &info, const QString &openFailure) {
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ELzrw1Exception(openFailure + name);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Input file is not a regular file : ") + name);
    }
    // Reads from a regular file never wait; clear the flag all the same.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!in.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw ELzrw1Exception(openFailure + name);
    }
}

// The output while it is being written. A regular file (or a new one) is
// written to a temporary file in the same folder, which replaces it only once
// everything has been written, so that a failure leaves the old file as it
// was. Anything else, such as /dev/null or a pipe, is written directly.
class Output {
public:
    // Refuses an output that is the input itself (by the same name, a hard
    // link or a symbolic link) before anything is opened for writing: the
    // result would replace the file while it is still being read.
    Output(const QString &name, const struct stat &input) : name_(name) {
        const QByteArray path = QFile::encodeName(name);
        struct stat existing {};
        const bool exists = ::stat(path.constData(), &existing) == 0;
        if (exists && existing.st_dev == input.st_dev && existing.st_ino == input.st_ino)
            throw ELzrw1Exception(
                QStringLiteral("Lzrw1 (de)compression : Output file is the input file : ") + name);
        if (exists && S_ISDIR(existing.st_mode))
            throw openFailure();
        if (exists && !S_ISREG(existing.st_mode)) {
            auto *direct = new QFile(name);
            device_.reset(direct);
            if (!direct->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                throw openFailure();
        } else {
            // A symbolic link stays in place; the file it points to is replaced.
            save_ = new QSaveFile(name);
            device_.reset(save_);
            if (!save_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                throw openFailure();
        }
    }

    QIODevice &device() { return *device_; }

    // Puts the written output in place. Until then, and when this fails, an
    // earlier file of the name is untouched and the temporary file is removed
    // (by QSaveFile when it is destroyed without being committed).
    void commit() {
        bool ok;
        if (save_) {
            ok = save_->commit();
        } else {
            device_->close();
            ok = device_->error() == QFileDevice::NoError;
        }
        if (!ok)
            throw ELzrw1Exception(QStringLiteral("Lzrw1 : Error writing to output file : ") +
                                  name_);
    }

private:
    ELzrw1Exception openFailure() const {
        return ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + name_);
    }

    QString name_;
    std::unique_ptr<QFileDevice> device_;
    QSaveFile *save_ = nullptr;
};

// Runs work(out) on the output file and puts the result in place when it
// succeeds; when it raises, the output is left as it was before.
template <typename Work>
int intoOutputFile(const QString &outputName, const struct stat &input, Work work) {
    Output out(outputName, input);
    const int written = work(out.device());
    out.commit();
    return written;
}

inline QString percent(qint64 part, qint64 whole) {
    // An empty input gains nothing: report it as 100%.
    return QString::number(whole > 0 ? part * 100 / whole : 100);
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

    QFile in;
    struct stat info {};
    openInput(in, inputFile_, info,
              QStringLiteral("Lzrw1 compression : Failed to obtain the size of : "));
    const qint64 size = info.st_size;
    return intoOutputFile(outputFile_, info,
                          [&](QIODevice &out) { return compressBlocks(in, size, out, buffers); });
}

int Tlzrw1::Decompress() {
    BusyGuard guard(*this);
    Buffers buffers(BufferFailure, false);

    QFile in;
    struct stat info {};
    openInput(in, inputFile_, info,
              QStringLiteral("Lzrw1 (de)compression : Failed to open input file : "));
    return intoOutputFile(outputFile_, info,
                          [&](QIODevice &out) { return decompressBlocks(in, out, buffers); });
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
