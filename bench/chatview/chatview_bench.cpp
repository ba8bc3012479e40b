// Adding lines to the chat view. Baseline: the same text inserted as one
// paragraph with a plain text cursor, no parsing, no styles. The Shown cases
// lay out and paint as the window does; a hidden view lays out nothing.
//   QT_QPA_PLATFORM=offscreen chatview_bench

#include "client/chat/chatview.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

const QString kLine = QStringLiteral("Alice chats: hello there, see www.example.com :)#12 ok");

// Fills the view with n lines of seat 2 so that every case works on a chat of that size.
void fill(ChatView &view, int n) {
    for (int i = 0; i < n; ++i)
        view.addlinetochat(2, QStringLiteral("Bob chats: earlier line %1").arg(i), 0x008000);
}

void BM_PlainInsert(benchmark::State &state) {
    ChatView view;
    fill(view, int(state.range(0)));
    const QString text = kLine;
    for (auto _ : state) {
        QTextCursor c(view.document());
        c.movePosition(QTextCursor::End);
        c.insertBlock();
        c.insertText(text);
    }
}

void BM_AddLine(benchmark::State &state) {
    ChatView view;
    fill(view, int(state.range(0)));
    for (auto _ : state)
        view.addlinetochat(1, kLine, 0x0000FF);
}

// Every line changes its seat's colour: the shared style recolours the
// seat's earlier lines each time.
void BM_AddLineNewColour(benchmark::State &state) {
    ChatView view;
    fill(view, int(state.range(0)));
    quint32 colour = 0;
    for (auto _ : state)
        view.addlinetochat(2, QStringLiteral("Bob chats: hello"), ++colour & 0xFFFFFF);
}

// One very long line: many words and smilies, as a hostile client could send.
void BM_AddLongLine(benchmark::State &state) {
    ChatView view;
    QString line = QStringLiteral("Eve chats: ");
    for (int i = 0; i < state.range(0); ++i)
        line += QStringLiteral("w%1 :)#1%2").arg(i).arg(i % 10);
    for (auto _ : state) {
        view.addlinetochat(3, line, 0xFF);
        state.PauseTiming();
        view.clearChat();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The view as the window has it: shown, so every line is laid out and painted.
struct ShownView {
    ChatView view;
    ShownView() {
        view.resize(ChatView::kWidth, ChatView::kHeight);
        view.show();
        QCoreApplication::processEvents();
    }
    void add(const QString &line, quint32 colour) {
        view.addlinetochat(1, line, colour);
        QCoreApplication::processEvents();
    }
};

// History: range(0) lines of seat 2, each range(1) characters of words.
void fillShown(ShownView &shown, int lines, int length) {
    QString body;
    while (body.size() < length)
        body += QStringLiteral("words ");
    for (int i = 0; i < lines; ++i)
        shown.view.addlinetochat(2, QStringLiteral("Bob chats: %1 ").arg(i) + body, 0x008000);
    QCoreApplication::processEvents();
}

void BM_ShownAddLine(benchmark::State &state) {
    ShownView shown;
    fillShown(shown, int(state.range(0)), int(state.range(1)));
    for (auto _ : state)
        shown.add(kLine, 0x0000FF);
}

// Every line changes its seat's colour, the seat's earlier lines being long.
void BM_ShownAddLineNewColour(benchmark::State &state) {
    ShownView shown;
    fillShown(shown, int(state.range(0)), int(state.range(1)));
    quint32 colour = 0;
    for (auto _ : state) {
        shown.view.addlinetochat(2, QStringLiteral("Bob chats: hello"), ++colour & 0xFFFFFF);
        QCoreApplication::processEvents();
    }
}

// A line of one word of range(0) characters, and a short line after it.
void BM_ShownAddLongWord(benchmark::State &state) {
    ShownView shown;
    const QString line = QStringLiteral("3+Eve chats: ") + QString(state.range(0), u'x');
    for (auto _ : state) {
        shown.add(line, 0xFF);
        shown.add(kLine, 0xFF);
        state.PauseTiming();
        shown.view.clearChat();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_ShownAddLine)
    ->Args({100, 60})
    ->Args({1000, 60})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShownAddLineNewColour)
    ->Args({20, 2000})
    ->Args({400, 2000})
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShownAddLongWord)->Arg(8000)->Arg(64000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddLongLine)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainInsert)->Arg(100)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddLine)->Arg(100)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddLineNewColour)->Arg(100)->Arg(2000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
