// zorble-lzrw1: compresses, decompresses or judges a file with the tally codec.
//
//   zorble-lzrw1 compress IN OUT
//   zorble-lzrw1 decompress IN OUT
//   zorble-lzrw1 advise IN
//
// compress and decompress print nothing when they succeed; advise prints its
// recommendation. On any error the message goes to standard error, the exit
// status is 1 and the output file is left as it was (or absent).

#include "tally/lzrw1.h"

#include <QString>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: zorble-lzrw1 compress IN OUT\n"
               "       zorble-lzrw1 decompress IN OUT\n"
               "       zorble-lzrw1 advise IN\n",
               stderr);
    return 1;
}

void printLine(FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    const bool twoFiles =
        command == QLatin1String("compress") || command == QLatin1String("decompress");
    if (!(twoFiles && argc == 4) && !(command == QLatin1String("advise") && argc == 3))
        return usage();

    try {
        Tlzrw1 codec;
        codec.setCompressMode(Fast);
        codec.setInputFile(QString::fromLocal8Bit(argv[2]));
        if (twoFiles)
            codec.setOutputFile(QString::fromLocal8Bit(argv[3]));

        if (command == QLatin1String("compress")) {
            codec.Compress();
        } else if (command == QLatin1String("decompress")) {
            codec.Decompress();
        } else {
            QString verdict;
            codec.setOnCaption([&verdict](const QString &text) { verdict = text; });
            codec.Advise();
            printLine(stdout, verdict);
        }
    } catch (const ELzrw1Exception &e) {
        printLine(stderr, e.message());
        return 1;
    } catch (const ELzrw1KHCompressor &e) {
        printLine(stderr, e.message());
        return 1;
    }
    return 0;
}
