#include "record/format.h"

namespace record {

int Game::turns() const {
    int n = 0;
    for (const Entry &e : entries)
        n += e.isTurn() ? 1 : 0;
    return n;
}

QString coordinate(int x, int y) {
    return game::squareName(x, y);
}

std::optional<std::pair<int, int>> parseCoordinate(const QString &text) {
    if (text.size() < 2 || text.size() > 3)
        return std::nullopt;
    const int x = text[0].unicode() - u'A';
    bool ok = false;
    const int row = text.mid(1).toInt(&ok);
    if (!ok || text[1] == u'0' || x < 0 || x >= game::kBoard || row < 1 || row > game::kBoard)
        return std::nullopt;
    return std::pair{x, row - 1};
}

QString placement(int x, int y, bool down) {
    return coordinate(x, y) + (down ? QStringLiteral(" down") : QStringLiteral(" across"));
}

namespace {
const std::array<const char *, 4> kOutcomes = {"none", "plus", "minus", "double"};
const std::array<const char *, 4> kEnds = {"tiles", "passes", "score", "time"};
} // namespace

QString outcomeName(int bonus) {
    return QString::fromLatin1(kOutcomes[size_t(bonus >= 0 && bonus <= 3 ? bonus : 0)]);
}

int outcomeFromName(const QString &name) {
    for (size_t i = 0; i < kOutcomes.size(); ++i)
        if (name == QLatin1String(kOutcomes[i]))
            return int(i);
    return -1;
}

QString endName(game::event::End reason) {
    return QString::fromLatin1(kEnds[size_t(reason)]);
}

std::optional<game::event::End> endFromName(const QString &name) {
    for (size_t i = 0; i < kEnds.size(); ++i)
        if (name == QLatin1String(kEnds[i]))
            return game::event::End(i);
    return std::nullopt;
}

QString rackLetters(const game::Rack &rack) {
    QString out;
    for (int k = 1; k <= game::kRackSlots; ++k)
        if (rack[size_t(k)] >= 0 && rack[size_t(k)] <= 25)
            out += QChar(u'A' + rack[size_t(k)]);
    return out;
}

} // namespace record
