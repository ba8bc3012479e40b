#include "net/gamerecord.h"

#include "net/playername.h"

#include <QHash>
#include <QStringDecoder>

namespace dnssd {

namespace {

constexpr int kSeats = 4;
constexpr int kWatchers = 5;
constexpr int kMaxVersion = 15;

// A small decimal number, digits only.
std::optional<int> number(const QByteArray &text, int largest) {
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > largest)
        return std::nullopt;
    return n;
}

bool plainVersion(const QByteArray &text) {
    if (text.isEmpty() || text.size() > kMaxVersion)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              c == '.' || c == '-' || c == '_'))
            return false;
    return true;
}

std::optional<GameRecord> refuse(QString *why, const QString &reason) {
    if (why)
        *why = reason;
    return std::nullopt;
}

} // namespace

QList<QByteArray> toTxt(const GameRecord &r) {
    return {"version=" + r.version.toUtf8(),
            "host=" + r.host.toUtf8(),
            "seats=" + QByteArray::number(r.seats),
            "free=" + QByteArray::number(r.free),
            "watchers=" + QByteArray::number(r.watchers),
            QByteArray("running=") + (r.running ? "1" : "0")};
}

std::optional<GameRecord> fromTxt(const QList<QByteArray> &strings, QString *why) {
    static const QList<QByteArray> kKeys{"version", "host", "seats", "free", "watchers", "running"};
    QHash<QByteArray, QByteArray> fields;
    for (const QByteArray &s : strings) {
        const qsizetype eq = s.indexOf('=');
        const QByteArray key = (eq < 0 ? s : s.left(eq)).toLower();
        if (!kKeys.contains(key))
            continue;
        if (eq < 0 || fields.contains(key))
            return refuse(why, QStringLiteral("field \"%1\" without a value or repeated")
                                   .arg(QString::fromLatin1(key)));
        fields.insert(key, s.mid(eq + 1));
    }
    for (const QByteArray &key : kKeys)
        if (!fields.contains(key))
            return refuse(why,
                          QStringLiteral("field \"%1\" missing").arg(QString::fromLatin1(key)));

    GameRecord r;
    if (!plainVersion(fields["version"]))
        return refuse(why, QStringLiteral("unreadable version"));
    r.version = QString::fromLatin1(fields["version"]);

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    r.host = utf8.decode(fields["host"]);
    if (utf8.hasError() || (!r.host.isEmpty() && !names::problem(r.host).isEmpty()))
        return refuse(why, QStringLiteral("host name that is no player's name"));

    const auto seats = number(fields["seats"], kSeats);
    const auto free = number(fields["free"], kSeats);
    const auto watchers = number(fields["watchers"], kWatchers);
    const auto running = number(fields["running"], 1);
    if (!seats || !free || *seats + *free != kSeats)
        return refuse(why, QStringLiteral("seat counts out of range"));
    if (!watchers)
        return refuse(why, QStringLiteral("watcher count out of range"));
    if (!running)
        return refuse(why, QStringLiteral("running flag not 0 or 1"));
    r.seats = *seats;
    r.free = *free;
    r.watchers = *watchers;
    r.running = *running == 1;
    return r;
}

} // namespace dnssd
