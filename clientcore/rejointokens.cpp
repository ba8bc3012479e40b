#include "clientcore/rejointokens.h"

#include "net/messages.h"
#include "settings/userfile.h"

#include <QSaveFile>
#include <QStringList>

namespace {

QString keyOf(const QString &address, quint16 port) {
    return address + QLatin1Char(':') + QString::number(port);
}

// The file's well-formed lines, oldest first; anything else is skipped.
QStringList readLines(const QString &path, qint64 maxBytes) {
    const UserFile file = UserFile::read(path, maxBytes);
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.bytes).split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() == 3 && !fields[0].isEmpty() && proto::isToken(fields[1]) &&
            proto::isToken(fields[2]))
            lines.append(line);
    }
    return lines;
}

} // namespace

RejoinTokens::Entry RejoinTokens::find(const QString &address, quint16 port) const {
    const QString key = keyOf(address, port);
    const QStringList lines = readLines(path_, kMaxBytes);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QStringList fields = it->split(QLatin1Char(' '));
        if (fields[0] == key)
            return {fields[1], fields[2]};
    }
    return {};
}

bool RejoinTokens::store(const QString &address, quint16 port, const Entry &entry) {
    const QString key = keyOf(address, port);
    if (key.contains(QLatin1Char(' ')) || !proto::isToken(entry.gameId) ||
        !proto::isToken(entry.token))
        return false;
    QStringList lines = readLines(path_, kMaxBytes);
    lines.removeIf([&](const QString &line) { return line.split(QLatin1Char(' '))[0] == key; });
    lines.append(key + QLatin1Char(' ') + entry.gameId + QLatin1Char(' ') + entry.token);
    while (lines.size() > kMaxHosts)
        lines.removeFirst();
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}
