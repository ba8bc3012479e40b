#pragma once

// A game of four computer players recorded on a seeded table (the requests
// of tests/host/wire): the host's record of it, the board after each turn
// and what each slot was told.
#include "clientcore/gamemirror.h"
#include "dict/tdictn.h"
#include "record/reader.h"
#include "record/recorder.h"
#include "tests/game/tableprobe.h"

#include <QFile>

#include <vector>

struct RecordedGame {
    TableProbe probe;
    QByteArray text; // the record
    record::Game game;
    std::vector<game::Grid> boards; // the table's board after 0, 1, 2, ... turns

    RecordedGame(const char *name, quint32 seed)
        : probe([](const QString &w) { return TDictn::shared()->FindWord(w); }) {
        record::Recorder recorder;
        QStringList lines;
        boards.push_back(probe.st.position.board);
        probe.observe = [&](const game::Events &events, const TableProbe::State &after) {
            const QStringList added = recorder.feed(events, after);
            for (const QString &line : added)
                for (const char *turn : {"move ", "exchange ", "pass ", "timeout "})
                    if (line.startsWith(QLatin1String(turn)))
                        boards.push_back(after.position.board);
            lines += added;
        };
        probe.st.rng.seed(seed);
        for (int slot = 1; slot <= 4; ++slot)
            probe.connect(slot);
        QFile requests(QStringLiteral(ZORBLE_WIRE_DIR "/%1-requests.txt").arg(QLatin1String(name)));
        if (requests.open(QIODevice::ReadOnly))
            for (const QByteArray &line : requests.readAll().split('\n'))
                feedRecorded(probe, line);
        probe.observe = nullptr;
        text = (lines.join(u'\n') + u'\n').toUtf8();
        const record::ReadResult r = record::read(text);
        if (r.game)
            game = *r.game;
    }
    // What the slot's window was told, in order.
    void tell(GameMirror &mirror, int slot) const {
        for (const auto &[to, line] : probe.sent) {
            if (to != slot)
                continue;
            const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
            if (const auto *m = std::get_if<proto::HostMessage>(&decoded))
                mirror.handle(*m);
        }
    }
};
