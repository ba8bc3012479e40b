#include "dict/tdictn.h"
#include "resources/words/wordlist.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const notFoundMessage = "English.dic dictionary not found!";
const char *const wordFileName = "zorble-words";

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

// The order of a record's key and a search key, as memcmp gives it. A field
// that begins with a letter is compared byte by byte as it is read, which
// settles most comparisons in the first bytes; one with leading spaces has
// its key built first.
int compareRecord(const unsigned char *record, const Key &wanted) {
    const unsigned char *field = record + 1;
    if (keyBytes[field[0]] == ' ') {
        Key current;
        recordKey(record, current);
        return std::memcmp(current.data(), wanted.data(), current.size());
    }
    constexpr std::size_t fieldLength = TDictn::RecordSize - 1;
    for (std::size_t i = 0; i < fieldLength; ++i) {
        const unsigned char c = keyBytes[field[i]];
        if (c != wanted[i])
            return c < wanted[i] ? -1 : 1;
    }
    const unsigned char last = wanted[fieldLength];
    return last == ' ' ? 0 : (' ' < last ? -1 : 1);
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

// Copies the list, up to its first NUL byte (the list itself holds none), into an anonymous
// memory file. The file lives in no folder: the kernel frees it with the last descriptor,
// so nothing is left behind even when the process is killed. A source that cannot be read,
// or a copy that fails half-way, leaves the object closed rather than searching a shortened
// list.
bool TDictn::writeWordFile(const QString &sourcePath) {
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;

    fd = ::memfd_create(wordFileName, MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return false;

    std::array<char, 64 * 1024> chunk;
    for (;;) {
        const qint64 got = source.read(chunk.data(), chunk.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const void *nul = std::memchr(chunk.data(), 0, static_cast<std::size_t>(got));
        const std::size_t keep =
            static_cast<std::size_t>(nul ? static_cast<const char *>(nul) - chunk.data() : got);
        for (std::size_t done = 0; done < keep;) {
            const ssize_t n = ::write(fd, chunk.data() + done, keep - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        if (nul)
            break;
    }
    // The list is final: nobody, not even through wordFilePath(), may change its size or
    // contents under the mapping (a shortened file would fault the lookups).
    if (::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0)
        return false;
    filePath = QStringLiteral("/proc/self/fd/%1").arg(fd);
    return true;
}

bool TDictn::mapWordFile() {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    const qint64 count = static_cast<qint64>(info.st_size) / RecordSize;
    // A list without a single whole record would silently reject every word: treat it as
    // missing so the user is told.
    if (count <= 0)
        return false;
    // A private read-only mapping of the sealed file: the pages are the file's own, nothing
    // is copied.
    const std::size_t length = static_cast<std::size_t>(count) * RecordSize;
    void *map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED)
        return false;
    records = static_cast<const unsigned char *>(map);
    mappedLength = length;
    lastIndex = count - 1;
    return true;
}

void TDictn::CloseDictionary() {
    if (records)
        ::munmap(const_cast<unsigned char *>(records), mappedLength);
    records = nullptr;
    mappedLength = 0;
    lastIndex = -1;
    open = false;
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    filePath.clear();
}

bool TDictn::FindWord(const QString &word) const {
    if (!open)
        return false;
    Key wanted;
    if (!searchKey(word, wanted))
        return false;

    qint64 lo = 0;
    qint64 hi = lastIndex;
    while (hi >= lo) {
        const qint64 mid = (lo + hi) / 2;
        const int order = compareRecord(records + mid * RecordSize, wanted);
        if (order == 0)
            return true;
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return false;
}

std::shared_ptr<const TDictn> TDictn::shared() {
    static std::weak_ptr<const TDictn> current;
    std::shared_ptr<const TDictn> list = current.lock();
    if (!list) {
        list = std::make_shared<const TDictn>();
        current = list;
    }
    return list;
}
