#include "settings/inifile.h"

#include "settings/userfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {

// The blanks trimmed around names and values. Ctrl-Z is the old end-of-file
// mark that DOS editors left behind.
constexpr bool isBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

QByteArrayView trimBlanks(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(char16_t(uchar(text.front()))))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(char16_t(uchar(text.back()))))
        text.chop(1);
    return text;
}

QStringView trimBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front().unicode()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back().unicode()))
        text.chop(1);
    return text;
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(QStringView text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

constexpr QByteArrayView kBom("\xEF\xBB\xBF");

} // namespace

IniFile IniFile::fromBytes(const QByteArray &bytes) {
    IniFile file;
    file.parse(bytes);
    return file;
}

QByteArray IniFile::toBytes() const {
    QByteArray out = bom_;
    for (const Line &line : lines_) {
        out += line.text;
        if (line.eol == Eol::CrLf)
            out += "\r\n";
        else if (line.eol == Eol::Lf)
            out += '\n';
    }
    return out;
}

void IniFile::parse(const QByteArray &bytes) {
    lines_.clear();
    bom_.clear();
    QByteArrayView rest(bytes);
    if (rest.startsWith(kBom)) {
        bom_ = kBom.toByteArray();
        rest = rest.sliced(kBom.size());
    }
    latin1_ = !rest.isValidUtf8();
    while (!rest.isEmpty()) {
        const qsizetype nl = rest.indexOf('\n');
        if (nl < 0) {
            lines_.push_back(makeLine(rest.toByteArray(), Eol::Missing));
            break;
        }
        QByteArrayView text = rest.first(nl);
        Eol eol = Eol::Lf;
        if (text.endsWith('\r')) {
            text.chop(1);
            eol = Eol::CrLf;
        }
        lines_.push_back(makeLine(text.toByteArray(), eol));
        rest = rest.sliced(nl + 1);
    }
}

IniFile::Line IniFile::makeLine(QByteArray text, Eol eol) const {
    Line line;
    line.eol = eol;
    const QByteArrayView body = trimBlanks(text);
    if (!body.isEmpty()) {
        const char first = body.front();
        if (first == '[') {
            // As the Windows functions do: the name ends at the last ']'.
            const qsizetype close = body.lastIndexOf(']');
            if (close > 0) {
                line.kind = Kind::Section;
                line.name = decode(trimBlanks(body.sliced(1, close - 1)));
            }
        } else if (first != ';' && first != '#') {
            const qsizetype eq = body.indexOf('=');
            const QByteArrayView name = eq < 0 ? QByteArrayView() : trimBlanks(body.first(eq));
            if (!name.isEmpty()) {
                line.kind = Kind::Key;
                line.name = decode(name);
                qsizetype at = (body.data() - text.constData()) + eq + 1;
                while (at < text.size() && isBlank(char16_t(uchar(text[at]))))
                    ++at;
                line.valueAt = at;
            }
        }
    }
    line.text = std::move(text);
    return line;
}

QString IniFile::decode(QByteArrayView bytes) const {
    return latin1_ ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

QByteArray IniFile::encode(QStringView text) const {
    return latin1_ ? text.toLatin1() : text.toUtf8();
}

qsizetype IniFile::findSection(QStringView section) const {
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i)
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section))
            return i;
    return -1;
}

std::optional<QString> IniFile::value(QStringView section, QStringView key) const {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const qsizetype at = findSection(section);
    if (at < 0)
        return std::nullopt;
    for (qsizetype i = at + 1; i < qsizetype(lines_.size()); ++i) {
        const Line &line = lines_[i];
        if (line.kind == Kind::Section)
            break;
        if (line.kind == Kind::Key && sameName(line.name, key))
            return decode(trimBlanks(QByteArrayView(line.text).sliced(line.valueAt)));
    }
    return std::nullopt;
}

bool IniFile::setValue(QStringView section, QStringView key, QStringView value) {
    Change change{trimBlanks(section).toString(), trimBlanks(key).toString(),
                  trimBlanks(value).toString()};
    if (change.section.isEmpty() || change.key.isEmpty() || hasLineBreak(change.section) ||
        hasLineBreak(change.key) || hasLineBreak(change.value) || change.key.contains(u'=') ||
        change.key.startsWith(u'[') || change.key.startsWith(u';') || change.key.startsWith(u'#'))
        return false;

    apply(change);
    for (Change &earlier : pending_) {
        if (sameName(earlier.section, change.section) && sameName(earlier.key, change.key)) {
            earlier.value = std::move(change.value);
            return true;
        }
    }
    pending_.push_back(std::move(change));
    return true;
}

void IniFile::insertLine(qsizetype at, QByteArray text) {
    Eol eol = Eol::Lf;
    for (const Line &line : lines_) {
        if (line.eol != Eol::Missing) {
            eol = line.eol;
            break;
        }
    }
    // Only the last line can lack a line ending; the new line takes its place
    // as the last one, and with it the missing ending.
    Eol own = eol;
    if (at > 0 && lines_[at - 1].eol == Eol::Missing) {
        lines_[at - 1].eol = eol;
        own = Eol::Missing;
    }
    lines_.insert(lines_.begin() + at, makeLine(std::move(text), own));
}

void IniFile::apply(const Change &change) {
    const QByteArray keyLine = encode(change.key) + '=' + encode(change.value);
    const qsizetype at = findSection(change.section);
    if (at < 0) {
        const qsizetype end = qsizetype(lines_.size());
        if (end > 0 && !trimBlanks(lines_.back().text).isEmpty())
            insertLine(end, QByteArray());
        insertLine(qsizetype(lines_.size()), '[' + encode(change.section) + ']');
        insertLine(qsizetype(lines_.size()), keyLine);
        return;
    }

    qsizetype lastKey = at;
    for (qsizetype i = at + 1; i < qsizetype(lines_.size()); ++i) {
        Line &line = lines_[i];
        if (line.kind == Kind::Section)
            break;
        if (line.kind != Kind::Key)
            continue;
        if (sameName(line.name, change.key)) {
            const QByteArrayView old = trimBlanks(QByteArrayView(line.text).sliced(line.valueAt));
            if (decode(old) != change.value)
                line.text = line.text.left(line.valueAt) + encode(change.value);
            return;
        }
        lastKey = i;
    }
    insertLine(lastKey + 1, keyLine);
}

bool IniFile::load() {
    lines_.clear();
    bom_.clear();
    latin1_ = false;
    pending_.clear();
    error_.clear();

    const UserFile file = UserFile::read(path_, kMaxBytes);
    if (file.status == UserFile::Missing)
        return true;
    if (!file.ok()) {
        error_ = path_ + QLatin1Char(' ') + file.problem;
        return false;
    }
    parse(file.bytes);
    return true;
}

bool IniFile::save() {
    if (pending_.empty())
        return true;
    if (path_.isEmpty()) {
        error_ = QStringLiteral("the settings file has no name");
        return false;
    }

    IniFile current(path_);
    if (!current.load()) {
        error_ = current.error_;
        return false;
    }
    const bool existed = QFileInfo::exists(path_);
    const QByteArray before = current.toBytes();
    for (const Change &change : pending_)
        current.apply(change);
    const QByteArray after = current.toBytes();

    if (!existed || after != before) {
        // commit() alone misses a write that fails when the buffer is flushed
        // at closing (a full disk), and would put the cut-off file in place:
        // the explicit flush() reports it, though Qt then keeps no reason of
        // its own; the system's is taken instead. Without a commit, the
        // temporary file is removed and the old file stays.
        QSaveFile out(path_);
        QString reason;
        if (!out.open(QIODevice::WriteOnly)) {
            reason = out.errorString();
        } else {
            errno = 0;
            if (out.write(after) != after.size() || !out.flush()) {
                reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                    : QStringLiteral("not all of it could be written");
            } else if (!out.commit()) {
                reason = out.errorString();
            }
        }
        if (!reason.isNull()) {
            error_ = QStringLiteral("cannot write %1: %2").arg(path_, reason);
            return false;
        }
    }
    bom_ = std::move(current.bom_);
    lines_ = std::move(current.lines_);
    latin1_ = current.latin1_;
    pending_.clear();
    error_.clear();
    return true;
}
