// The game record reader on arbitrary bytes: it either refuses them with a
// line number inside the text or gives a game that replays to every turn.
#include "record/reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const record::ReadResult r = record::read(bytes);
    if (!r.game) {
        if (r.error.line < 1 || r.error.line > bytes.count('\n') + 1)
            std::abort();
        return 0;
    }
    for (int turn = 0; turn <= r.game->turns(); ++turn) {
        const record::Snapshot s = record::replay(*r.game, turn);
        if (s.turns != turn)
            std::abort();
        (void)record::unseenBy(*r.game, s, 1);
    }
    return 0;
}
