// Fuzz target: a byte stream cut into messages at 0xFF, each decoded as a
// message to a client and handed to a game mirror, whose chat lines go to a
// chat view, as in the game window. Between messages the mirror's clock
// ticks. Nothing may crash, overflow or read outside a table; the view keeps
// its latest lines only.
#include "client/chat/chatview.h"
#include "clientcore/gamemirror.h"
#include "net/framing.h"
#include "net/messages.h"

#include <QApplication>
#include <QTextDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_mirror";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    GameMirror mirror;
    ChatView view;
    QObject::connect(&mirror, &GameMirror::chatLine, &view,
                     [&view](int seat, const QString &text, quint32 colour) {
                         view.addlinetochat(seat, text, colour);
                     });
    FrameSplitter splitter(8 * 1024);
    splitter.feed(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                  [&](const QByteArray &bytes) {
                      const proto::DecodedHostMessage decoded =
                          proto::decodeHostMessage(proto::decode(bytes));
                      if (const auto *m = std::get_if<proto::HostMessage>(&decoded))
                          std::visit([&](const auto &message) { mirror.handle(message); }, *m);
                      mirror.Timer2Timer();
                  });
    if (view.document()->blockCount() > ChatView::kMaxLines)
        std::abort();
    return 0;
}
