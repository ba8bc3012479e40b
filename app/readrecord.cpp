#include "app/readrecord.h"

#include "record/reader.h"
#include "settings/userfile.h"

#include <cstdio>

std::optional<record::Game> readRecordArgument(const QString &path) {
    const UserFile file = UserFile::read(path, record::kMaxRecordBytes);
    if (!file.ok()) {
        std::fprintf(stderr, "zorble: cannot read %s: %s\n", qPrintable(path),
                     file.status == UserFile::Missing ? "no such file" : qPrintable(file.problem));
        return std::nullopt;
    }
    record::ReadResult r = record::read(file.bytes);
    if (!r.game)
        std::fprintf(stderr, "zorble: %s:%d: %s\n", qPrintable(path), r.error.line,
                     qPrintable(r.error.message));
    return std::move(r.game);
}
