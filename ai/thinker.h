#pragma once

// Thinking off the event loop's thread. A Thinker hands each question (a
// turn to think through, the best move for a hint) to one of the worker
// threads this process keeps for computer players, with its own copy of the
// position; the workers share the read-only engine (graph, word list,
// rules). The answer comes back as a queued call into the thread the Thinker
// lives on and is reported by a signal there, so nothing on that thread ever
// waits for the thinking.
//
// A new question, cancel() and the Thinker's end all cancel the question
// before: the worker stops within a fraction of a millisecond, and no answer
// to it is reported.

#include "ai/choice.h"
#include "ai/movegen.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace ai {

class Engine;

class Thinker : public QObject {
    Q_OBJECT
public:
    // Without an engine the process's shared one is used, built on a worker
    // when first needed.
    explicit Thinker(std::shared_ptr<Engine> engine = nullptr, QObject *parent = nullptr);
    ~Thinker() override;

    // Thinks a turn through (see ai::decide); decided() brings the decision.
    void decide(Level level, const Position &position, const Turn &turn, std::uint32_t seed);
    // Finds the move with the most points, within `allowed`; bestFound()
    // brings it, or nothing when there is none.
    void findBest(const Position &position, Clock::duration allowed);
    // Gets the engine ready before the first question needs it; ready() says so.
    void prepare();
    // Drops the question being thought about.
    void cancel();

    // A question is being thought about.
    bool busy() const { return busy_; }
    // The engine, once it is ready.
    std::shared_ptr<Engine> engine() const { return engine_; }

    struct Answer;
    struct Channel;

signals:
    void decided(const ai::Decision &decision);
    void bestFound(const std::optional<ai::Move> &move);
    void ready();

private:
    Q_INVOKABLE void deliver();
    // Posts a question: `work` runs on a worker with the engine, the
    // question's cancel flag and the time the worker waited for the engine,
    // and fills in the answer.
    template <class Work> void ask(Work work);

    std::shared_ptr<Channel> channel_;
    std::shared_ptr<Engine> engine_;
    std::shared_ptr<std::atomic<bool>> cancelled_; // of the question being thought about
    std::uint64_t ticket_ = 0;                     // the question asked last
    bool busy_ = false;
};

} // namespace ai
