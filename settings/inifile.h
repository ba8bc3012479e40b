#pragma once

// A Windows-style ini file: "[Section]" lines, each followed by "key=value"
// lines. The lobby program keeps its own settings in the same file, so it is
// read and written the way the Windows private-profile functions treat one:
//
//  - section and key names match without regard to letter case, and blanks
//    around names and values do not count;
//  - a value is the raw text after the first "=": no quotes, escapes or lists
//    ("Wow, WTG!" is one value);
//  - only the first section of a name counts, and in it the first line of a key;
//  - every other line (comments starting with ';' or '#', blank lines, lines
//    before the first section, anything else) is kept as it is.
//
// Changing a key rewrites only the value on that key's line; a new key goes
// after the last key of its section, a new section at the end of the file. The
// file keeps its line endings (LF or CRLF) and whether its last line ends with
// one. Texts are UTF-8, or Latin-1 in a file that is not valid UTF-8.
//
// Changes stay in memory until save(), which writes them all at once.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

class IniFile {
public:
    // Larger files are refused: a settings file is a few kilobytes.
    static constexpr qint64 kMaxBytes = 1 << 20;

    IniFile() = default;
    explicit IniFile(QString path) : path_(std::move(path)) {}

    // Reads the file at path(), dropping pending changes. A missing file reads
    // as an empty one. False, with errorString(), when it exists but is not a
    // regular file, cannot be read, or is larger than kMaxBytes; the content is
    // then empty.
    bool load();

    // Writes the changes made since the last load() or save() to path(). The
    // file is read again first and only the changed keys are applied to it, so
    // that what another program wrote in the meantime is kept. The new content
    // goes to a temporary file in the same folder, which then replaces the old
    // one, so the file is never left half written. True when written, or when
    // there was nothing to change. False, with errorString(), when the file
    // cannot be read again or written; it is then left as it was, and the
    // changes stay pending for the next save().
    bool save();

    const QString &path() const { return path_; }
    const QString &errorString() const { return error_; }
    bool hasPendingChanges() const { return !pending_.empty(); }

    // The value of the key in the section; nothing when either is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;

    // Sets the key's value, adding the key or the section when missing. Blanks
    // around the names and the value are dropped. False, and nothing changes,
    // when a name is empty, the key starts with '[', ';' or '#' or holds '=',
    // or any of the three holds a line break: such a line would read back as
    // something else. In a Latin-1 file, characters that Latin-1 lacks are
    // written as '?'.
    bool setValue(QStringView section, QStringView key, QStringView value);

    // The content as read from, or as it would be written to, a file.
    static IniFile fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

private:
    enum class Eol : quint8 { Missing, Lf, CrLf };
    enum class Kind : quint8 { Other, Section, Key };
    struct Line {
        QByteArray text; // without its line ending
        Eol eol = Eol::Missing;
        Kind kind = Kind::Other;
        QString name;          // the section's or key's name, blanks trimmed
        qsizetype valueAt = 0; // Key: where the value starts in text
    };
    struct Change {
        QString section, key, value;
    };

    void parse(const QByteArray &bytes);
    Line makeLine(QByteArray text, Eol eol) const;
    QString decode(QByteArrayView bytes) const;
    QByteArray encode(QStringView text) const;
    // Index of the first section line with that name, or -1.
    qsizetype findSection(QStringView section) const;
    void insertLine(qsizetype at, QByteArray text);
    void apply(const Change &change);

    QString path_;
    QString error_;
    QByteArray bom_; // a UTF-8 byte-order mark before the first line, kept
    std::vector<Line> lines_;
    bool latin1_ = false;
    std::vector<Change> pending_;
};
