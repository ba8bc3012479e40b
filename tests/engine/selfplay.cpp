#include "tests/engine/selfplay.h"

#include "net/messages.h"

namespace {

const QStringList kNames{QString(), QStringLiteral("Ann"), QStringLiteral("Bob")};

void feed(GameMirror &m, const QString &line) {
    const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
    if (const auto *message = std::get_if<proto::HostMessage>(&decoded))
        m.handle(*message);
}

void logIn(GameMirror &m, int seat) {
    m.setPlayerName(kNames[seat]);
    m.handle(proto::toclient::SendLoginInfo{seat});
    for (int s = 1; s <= SelfPlay::kSeats; ++s)
        m.handle(proto::toclient::NewPlayerInfo{{s, kNames[s]}});
}

} // namespace

SelfPlay::SelfPlay(const rules::WordLookup &lookup, const fullgame::WordList &words)
    : probe_(lookup), words_(words) {
    for (int seat = 1; seat <= kSeats; ++seat) {
        probe_.connect(seat);
        probe_.seat(seat).name = kNames[seat];
        mirrors_[seat] = std::make_unique<GameMirror>();
        logIn(*mirrors_[seat], seat);
    }
}

void SelfPlay::start(quint32 seed, const QString &options) {
    probe_.st.rng.seed(seed);
    probe_.startgame(options);
    deliver();
}

void SelfPlay::deliver() {
    for (; delivered_ < probe_.sent.size(); ++delivered_) {
        const auto &[slot, message] = probe_.sent.at(delivered_);
        if (slot >= 1 && slot <= kSeats)
            feed(*mirrors_[slot], message);
    }
}

void SelfPlay::request(int seat, const QString &line) {
    probe_.request(seat, line);
    deliver();
}

bool SelfPlay::playTurn() {
    if (!running())
        return false;
    const int seat = mover();
    GameMirror &m = mirror(seat);
    m.composer().clearLaid();
    if (const auto move = fullgame::findMove(m, words_)) {
        for (const game::LaidTile &t : *move)
            m.composer().layTile(t.rackslot, t.x, t.y);
        const qsizetype before = probe_.sent.size();
        if (const auto done = m.composer().move())
            request(seat, proto::requestText(*done));
        if (probe_.sent.size() > before &&
            !probe_.sent.last().second.startsWith(QStringLiteral("CMD_invalid")))
            return running();
    }
    request(seat, proto::client::pass(seat));
    return running();
}

void SelfPlay::replay(int seat, GameMirror &into) const {
    logIn(into, seat);
    for (const auto &[slot, message] : probe_.sent)
        if (slot == seat)
            feed(into, message);
}
