// Compression and decompression speed and ratio of the LZRW1/KH block coder,
// with LZ4 (LZ4_compress_default / LZ4_decompress_safe) and zlib at level 1
// measured on the same inputs in the same run:
//   text   - at least 10 MB of words from the scowl word lists
//   binary - 10 MB of an executable (the program itself when built, else Qt)
//   tally  - a 1 KB tally text grid
// After the usual table a summary gives MB/s, the compressed size and the
// LZRW1/KH speeds as a fraction of LZ4's.
//
// Environment: ZORBLE_BENCH_BINARY names another file for the binary input.

#include "tally/lzrw1.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t TenMB = 10u << 20;

[[noreturn]] void fail(const std::string &why) {
    std::fprintf(stderr, "bench_lzrw1: %s\n", why.c_str());
    std::exit(1);
}

// Words of the scowl English lists, commonest lists first.
std::vector<std::string> wordList() {
    const QDir dir(QStringLiteral("/usr/share/dict/scowl"));
    QStringList files = dir.entryList({QStringLiteral("english-words.*")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return a.section('.', -1).toInt() < b.section('.', -1).toInt();
    });
    std::vector<std::string> words;
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                words.push_back(line.trimmed().toStdString());
    }
    if (words.empty())
        fail("no word lists in /usr/share/dict/scowl (install scowl)");
    return words;
}

// Running text: common words far more often than rare ones, in lines.
Bytes textInput(const std::vector<std::string> &words) {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    Bytes out;
    out.reserve(TenMB + 64);
    int inLine = 0;
    while (out.size() < TenMB) {
        const double x = u(rng);
        const std::string &w = words[size_t(double(words.size()) * x * x * x * x)];
        out.insert(out.end(), w.begin(), w.end());
        if (++inLine == 12) {
            out.push_back('\n');
            inLine = 0;
        } else {
            out.push_back(' ');
        }
    }
    return out;
}

Bytes binaryInput() {
    std::vector<QString> candidates;
    if (const char *env = std::getenv("ZORBLE_BENCH_BINARY"))
        candidates.push_back(QString::fromLocal8Bit(env));
    candidates.push_back(QStringLiteral(ZORBLE_EXECUTABLE));
    candidates.push_back(QStringLiteral("/usr/lib/x86_64-linux-gnu/libQt6Core.so.6"));
    for (const QString &path : candidates) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = f.readAll();
        if (data.isEmpty())
            continue;
        std::fprintf(stderr, "binary input: %s (%lld bytes, repeated to 10 MB)\n",
                     qPrintable(QFileInfo(path).canonicalFilePath()), qlonglong(data.size()));
        Bytes out;
        out.reserve(TenMB);
        while (out.size() < TenMB)
            out.insert(out.end(), data.begin(),
                       data.begin() + qsizetype(std::min(size_t(data.size()), TenMB - out.size())));
        return out;
    }
    fail("no binary input found");
}

// The tally file's text: the column count, the row count, then every cell
// column by column, one per line.
Bytes tallyInput(const std::vector<std::string> &words) {
    std::mt19937 rng(7);
    const int rows = 14;
    std::string text = "9\r\n" + std::to_string(rows) + "\r\n";
    for (int col = 0; col < 9; ++col)
        for (int row = 0; row < rows; ++row) {
            if (col == 0)
                text += row == 0 ? "0" : words[rng() % 2000];
            else if (row == 0 && col > 2)
                text += "0";
            else
                text += std::to_string(rng() % (col < 5 ? 300 : 12));
            text += "\r\n";
        }
    while (text.size() < 1024)
        text += text;
    return Bytes(text.begin(), text.begin() + 1024);
}

struct Input {
    std::string name;
    Bytes data;
};

std::vector<Input> &inputs() {
    static std::vector<Input> all;
    return all;
}

std::map<std::string, size_t> &compressedSizes() {
    static std::map<std::string, size_t> sizes;
    return sizes;
}

// LZRW1/KH over a whole input: coded blocks with their 2-byte lengths, one
// after another, as in a file. Chunks are coded in pairs, as the file
// compressor does; the last, short chunk may be coded alone.
struct Lzrw1 {
    TLZR lzr;
    static size_t bound(size_t n) { return n + (n / TLZR::ChunkSize + 1) * 3 + TLZR::BufferSize; }
    size_t compress(const Bytes &in, Bytes &out) {
        constexpr size_t Chunk = TLZR::ChunkSize;
        size_t at = 0;
        size_t pos = 0;
        const auto putLength = [&](int coded) {
            out[at] = uint8_t(coded);
            out[at + 1] = uint8_t(coded >> 8);
        };
        for (;;) {
            // The first chunk of a pair is coded in place, the second beside
            // and then moved behind it.
            const int n1 = int(std::min(in.size() - pos, Chunk));
            if (n1 < int(Chunk)) {
                putLength(lzr.CompressBlock(in.data() + pos, n1, out.data() + at + 2));
                return at + 2 + size_t(out[at] | out[at + 1] << 8);
            }
            const int n2 = int(std::min(in.size() - pos - Chunk, Chunk));
            const auto coded = lzr.CompressBlocks(in.data() + pos, n1, out.data() + at + 2,
                                                  in.data() + pos + Chunk, n2, second.data());
            putLength(coded[0]);
            at += 2 + size_t(coded[0]);
            putLength(coded[1]);
            std::memcpy(out.data() + at + 2, second.data(), size_t(coded[1]));
            at += 2 + size_t(coded[1]);
            pos += size_t(n1) + size_t(n2);
            if (n2 < int(Chunk))
                return at;
        }
    }
    Bytes second = Bytes(TLZR::BufferSize);
    static size_t decompress(const Bytes &in, size_t length, Bytes &out) {
        size_t at = 0;
        size_t produced = 0;
        while (at + 2 <= length) {
            const int coded = in[at] | in[at + 1] << 8;
            const int n = TLZR::DecompressBlock(in.data() + at + 2, coded, out.data() + produced);
            if (n < 0)
                fail("LZRW1/KH rejected its own block");
            produced += size_t(n);
            at += 2 + size_t(coded);
        }
        return produced;
    }
};

struct Lz4 {
    static size_t bound(size_t n) { return size_t(LZ4_compressBound(int(n))); }
    size_t compress(const Bytes &in, Bytes &out) {
        return size_t(LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                           reinterpret_cast<char *>(out.data()), int(in.size()),
                                           int(out.size())));
    }
    static size_t decompress(const Bytes &in, size_t length, Bytes &out) {
        const int n =
            LZ4_decompress_safe(reinterpret_cast<const char *>(in.data()),
                                reinterpret_cast<char *>(out.data()), int(length), int(out.size()));
        return n < 0 ? 0 : size_t(n);
    }
};

struct Zlib1 {
    static size_t bound(size_t n) { return size_t(compressBound(uLong(n))); }
    size_t compress(const Bytes &in, Bytes &out) {
        uLongf len = uLongf(out.size());
        if (compress2(out.data(), &len, in.data(), uLong(in.size()), 1) != Z_OK)
            fail("zlib compression failed");
        return size_t(len);
    }
    static size_t decompress(const Bytes &in, size_t length, Bytes &out) {
        uLongf len = uLongf(out.size());
        if (uncompress(out.data(), &len, in.data(), uLong(length)) != Z_OK)
            fail("zlib decompression failed");
        return size_t(len);
    }
};

template <typename Codec>
void compressBench(benchmark::State &state, std::string key, const Input *input) {
    Codec codec;
    Bytes out(Codec::bound(input->data.size()));
    size_t length = 0;
    for (auto _ : state) {
        length = codec.compress(input->data, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input->data.size()));
    state.counters["ratio%"] = 100.0 * double(length) / double(input->data.size());
    compressedSizes()[key] = length;
}

template <typename Codec> void decompressBench(benchmark::State &state, const Input *input) {
    Codec codec;
    Bytes packed(Codec::bound(input->data.size()));
    const size_t length = codec.compress(input->data, packed);
    Bytes out(input->data.size() + TLZR::BufferSize);
    size_t produced = 0;
    for (auto _ : state) {
        produced = Codec::decompress(packed, length, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (produced != input->data.size() ||
        std::memcmp(out.data(), input->data.data(), produced) != 0)
        fail("round trip differs for " + input->name);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input->data.size()));
    state.counters["ratio%"] = 100.0 * double(length) / double(input->data.size());
}

// Keeps each run's speed for the summary after the usual table.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> speed; // name -> MB/s

    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && it != run.counters.end())
                speed[run.benchmark_name()] = it->second.value / 1e6;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

template <typename Codec> void registerCodec(const char *codec) {
    for (const Input &input : inputs()) {
        const std::string key = std::string(codec) + "/" + input.name;
        benchmark::RegisterBenchmark(("compress/" + key).c_str(), compressBench<Codec>, key,
                                     &input);
        benchmark::RegisterBenchmark(("decompress/" + key).c_str(), decompressBench<Codec>, &input);
    }
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> words = wordList();
    inputs().push_back({"text", textInput(words)});
    inputs().push_back({"binary", binaryInput()});
    inputs().push_back({"tally", tallyInput(words)});

    registerCodec<Lzrw1>("lzrw1");
    registerCodec<Lz4>("lz4");
    registerCodec<Zlib1>("zlib1");

    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-7s %-6s %10s %12s %14s %12s %12s\n", "input", "codec", "size", "compressed",
                "ratio", "comp MB/s", "decomp MB/s");
    for (const Input &input : inputs())
        for (const char *codec : {"lzrw1", "lz4", "zlib1"}) {
            const std::string key = std::string(codec) + "/" + input.name;
            if (!compressedSizes().count(key))
                continue;
            const size_t packed = compressedSizes()[key];
            std::printf("%-7s %-6s %10zu %12zu %13.1f%% %12.1f %12.1f\n", input.name.c_str(), codec,
                        input.data.size(), packed,
                        100.0 * double(packed) / double(input.data.size()),
                        reporter.speed["compress/" + key], reporter.speed["decompress/" + key]);
        }
    std::printf("\nLZRW1/KH speed as a fraction of LZ4's (targets: compression >= 0.50, "
                "decompression >= 0.25)\n");
    for (const Input &input : inputs()) {
        const auto ratio = [&](const char *direction) {
            const double lz4 = reporter.speed[std::string(direction) + "/lz4/" + input.name];
            return lz4 > 0 ? reporter.speed[std::string(direction) + "/lzrw1/" + input.name] / lz4
                           : 0.0;
        };
        std::printf("%-7s compression %.2f  decompression %.2f\n", input.name.c_str(),
                    ratio("compress"), ratio("decompress"));
    }
    benchmark::Shutdown();
    return 0;
}
