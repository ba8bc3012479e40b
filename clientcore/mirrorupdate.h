#pragma once

// What each message from the host does to a client's mirror: the model's
// changes, in order, the chat lines and sounds, and the signals that tell the
// views. GameMirror::handle hands every message to one of these.

#include "clientcore/scoresheet.h"
#include "net/messages.h"

class GameMirror;

class MirrorUpdate {
public:
    explicit MirrorUpdate(GameMirror &mirror) : m(mirror) {}

    void operator()(const proto::toclient::SendLoginInfo &msg);
    void operator()(const proto::toclient::Full &msg);
    void operator()(const proto::toclient::NewPlayerInfo &msg);
    void operator()(const proto::toclient::PlayerDisconnected &msg);
    void operator()(const proto::toclient::WrongVersion &msg);
    void operator()(const proto::toclient::HaveWrongVersion &msg);
    void operator()(const proto::toclient::ArrangeBoard &msg);
    void operator()(const proto::toclient::ShowBoard &msg);
    void operator()(const proto::toclient::Settings &msg);
    void operator()(const proto::toclient::NextPlayer &msg);
    void operator()(const proto::toclient::Started &msg);
    void operator()(const proto::toclient::Atile &msg);
    void operator()(const proto::toclient::TileCount &msg);
    void operator()(const proto::toclient::NoTiles &msg);
    void operator()(const proto::toclient::Passed &msg);
    void operator()(const proto::toclient::Already &msg);
    void operator()(const proto::toclient::NotEnough &msg);
    void operator()(const proto::toclient::Invalid &msg);
    void operator()(const proto::toclient::Exchanged &msg);
    void operator()(const proto::toclient::Reposition &msg);
    void operator()(const proto::toclient::Scored &msg);
    void operator()(const proto::toclient::SeatScore &msg);
    void operator()(const proto::toclient::NewWord &msg);
    void operator()(const proto::toclient::TimeUp &msg);
    void operator()(const proto::toclient::Watching &msg);
    void operator()(const proto::toclient::Chat &msg);
    void operator()(const proto::toclient::ChatterSound &msg);
    void operator()(const proto::toclient::GameOver &msg);
    void operator()(const proto::toclient::Winner &msg);
    void operator()(const proto::toclient::RejoinToken &msg);
    void operator()(const proto::toclient::SeatKept &msg);
    void operator()(const proto::toclient::Closing &msg);
    void operator()(const proto::toclient::TurnClock &msg);
    void operator()(const proto::toclient::KeepAlive &) {} // the link watches the silence

private:
    void systemLine(const QString &text);
    QString nameOf(int seat) const;
    void setScore(int seat, int total);
    void applySettings(const game::GameOptions &options);
    void colourBoard();
    void endOfTurn();
    std::array<int, game::kSeats + 1> totals() const;
    void sheetRow(ScoreRow::Kind kind, int seat, int points);
    // The tiles laid this turn go back to the rack, with their sounds.
    void clearLaid();

    GameMirror &m;
};
