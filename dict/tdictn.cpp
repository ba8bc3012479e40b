#include "dict/tdictn.h"
#include "resources/words/wordlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const notFoundMessage = "English.dic dictionary not found!";
const char *const wordFileName = "English";

using Key = std::array<unsigned char, TDictn::FieldWidth>;

constexpr unsigned char upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Turns a search word into its key: NULs become spaces, leading and trailing spaces go,
// a-z become A-Z and the rest is filled out with spaces to the field width. Fails for an
// empty word, for one too long to equal any record (a record's key is its 14 letters plus
// a space), and for a character that no 8-bit record can hold.
bool searchKey(const QString &word, Key &key) {
    const auto charAt = [&word](qsizetype i) {
        const char16_t c = word.at(i).unicode();
        return c == 0 ? u' ' : c;
    };
    qsizetype first = 0;
    qsizetype last = word.size();
    while (first < last && charAt(first) == u' ')
        ++first;
    while (last > first && charAt(last - 1) == u' ')
        --last;
    const qsizetype length = last - first;
    if (length == 0 || length >= TDictn::FieldWidth)
        return false;

    key.fill(' ');
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = charAt(first + i);
        if (c > 0xFF)
            return false;
        key[static_cast<std::size_t>(i)] = upper(static_cast<unsigned char>(c));
    }
    return true;
}

// NUL becomes a space and a to z become A to Z; every other byte stays.
constexpr std::array<unsigned char, 256> keyBytes = [] {
    std::array<unsigned char, 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = upper(static_cast<unsigned char>(i));
    t[0] = ' ';
    return t;
}();

// The key of one record: its 14-byte field plus a space, prepared as a search word is.
void recordKey(const unsigned char *record, Key &key) {
    const unsigned char *field = record + 1;
    constexpr std::size_t fieldLength = TDictn::RecordSize - 1;
    for (std::size_t i = 0; i < fieldLength; ++i)
        key[i] = keyBytes[field[i]];
    key[fieldLength] = ' ';
    if (key[0] != ' ')
        return;
    // Leading spaces: move the rest to the front and fill up behind it.
    std::size_t first = 0;
    while (first < fieldLength && key[first] == ' ')
        ++first;
    std::memmove(key.data(), key.data() + first, key.size() - first);
    std::memset(key.data() + key.size() - first, ' ', first);
}

} // namespace

TDictn::TDictn() : TDictn(builtInWordListPath()) {}

TDictn::TDictn(const QString &sourcePath) {
    OpenDictionary(sourcePath);
}

TDictn::~TDictn() {
    CloseDictionary();
}

void TDictn::OpenDictionary(const QString &sourcePath) {
    open = writeWordFile(sourcePath) && mapWordFile();
    if (!open) {
        CloseDictionary();
        error = QString::fromLatin1(notFoundMessage);
    }
}

// Copies the list into a fresh private folder, up to its first NUL byte (the list itself
// holds none). A source that cannot be read leaves no file; a copy that fails half-way is
// removed rather than left to be searched as a shortened list.
bool TDictn::writeWordFile(const QString &sourcePath) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;

    // QDir::tempPath() is empty when TMPDIR names no existing folder; the folder would then
    // land in the root directory.
    QString base = QDir::tempPath();
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    folder = std::make_unique<QTemporaryDir>(base + QLatin1String("/zorble-XXXXXX"));
    if (!folder->isValid())
        return false;
    filePath = folder->filePath(QString::fromLatin1(wordFileName));

    QFile target(filePath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;

    std::array<char, 64 * 1024> chunk;
    for (;;) {
        const qint64 got = source.read(chunk.data(), chunk.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const void *nul = std::memchr(chunk.data(), 0, static_cast<std::size_t>(got));
        const qint64 keep = nul ? static_cast<const char *>(nul) - chunk.data() : got;
        if (target.write(chunk.data(), keep) != keep)
            return false;
        if (nul)
            break;
    }
    return target.flush();
}

bool TDictn::mapWordFile() {
    const QByteArray path = QFile::encodeName(filePath);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const qint64 count = ok ? static_cast<qint64>(info.st_size) / RecordSize : 0;
    // A list without a single whole record would silently reject every word: treat it as
    // missing so the user is told.
    ok = ok && count > 0;
    if (ok) {
        mappedLength = static_cast<std::size_t>(count) * RecordSize;
        void *map = ::mmap(nullptr, mappedLength, PROT_READ, MAP_SHARED, fd, 0);
        ok = map != MAP_FAILED;
        if (ok) {
            records = static_cast<const unsigned char *>(map);
            lastIndex = count - 1;
        } else {
            mappedLength = 0;
        }
    }
    ::close(fd);
    return ok;
}

void TDictn::CloseDictionary() {
    if (records)
        ::munmap(const_cast<unsigned char *>(records), mappedLength);
    records = nullptr;
    mappedLength = 0;
    lastIndex = -1;
    open = false;
    if (!filePath.isEmpty())
        QFile::remove(filePath);
    filePath.clear();
    if (folder)
        folder->remove();
    folder.reset();
}

bool TDictn::FindWord(const QString &word) const {
    if (!open)
        return false;
    Key wanted;
    if (!searchKey(word, wanted))
        return false;

    Key current;
    qint64 lo = 0;
    qint64 hi = lastIndex;
    while (hi >= lo) {
        const qint64 mid = (lo + hi) / 2;
        recordKey(records + mid * RecordSize, current);
        const int order = std::memcmp(current.data(), wanted.data(), current.size());
        if (order == 0)
            return true;
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return false;
}
