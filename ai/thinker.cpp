#include "ai/thinker.h"

#include "ai/engine.h"

#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ai {

namespace {

// The worker threads of this process's computer players: two at most, made
// when first needed, stopped and joined when the process ends. A question
// cancelled while it waits is dropped without running.
class Workers {
public:
    struct Job {
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::function<void()> run;
    };

    static Workers &instance() {
        static Workers workers;
        return workers;
    }

    void post(Job job) {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
        if (threads_.size() < kThreads && idle_ == 0)
            threads_.emplace_back([this] { loop(); });
        wake_.notify_one();
    }

    ~Workers() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            for (const Job &job : queue_)
                job.cancelled->store(true);
            for (const auto &flag : running_)
                if (flag)
                    flag->store(true);
            queue_.clear();
        }
        wake_.notify_all();
        for (std::thread &t : threads_)
            t.join();
    }

private:
    static constexpr std::size_t kThreads = 2;

    void loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        const std::size_t me = running_.size();
        running_.emplace_back();
        for (;;) {
            ++idle_;
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            --idle_;
            if (stopping_)
                return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            if (job.cancelled->load())
                continue;
            running_[me] = job.cancelled;
            lock.unlock();
            job.run();
            job = {}; // what the question held goes here, not under the lock
            lock.lock();
            running_[me].reset();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::vector<std::thread> threads_;
    std::deque<std::shared_ptr<std::atomic<bool>>> running_; // per thread, its job's flag
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

} // namespace

struct Thinker::Answer {
    enum class Kind { Ready, Decided, Best };
    std::uint64_t ticket = 0;
    Kind kind = Kind::Ready;
    std::shared_ptr<Engine> engine;
    Decision decision;
    std::optional<Move> best;
};

// What a worker and its Thinker share. The worker leaves its answer here and
// posts a call of deliver() while the Thinker is there to take it; the
// Thinker's end clears `owner` under the same lock.
struct Thinker::Channel {
    std::mutex mutex;
    QObject *owner = nullptr;
    std::optional<Answer> answer;

    void put(Answer a) {
        std::optional<Answer> dropped; // released after the lock
        const std::lock_guard<std::mutex> lock(mutex);
        if (!owner) {
            dropped = std::move(a);
            return;
        }
        dropped = std::exchange(answer, std::move(a));
        QMetaObject::invokeMethod(owner, "deliver", Qt::QueuedConnection);
    }
};

Thinker::Thinker(std::shared_ptr<Engine> engine, QObject *parent)
    : QObject(parent), channel_(std::make_shared<Channel>()), engine_(std::move(engine)) {
    channel_->owner = this;
}

Thinker::~Thinker() {
    cancel();
    std::optional<Answer> dropped;
    const std::lock_guard<std::mutex> lock(channel_->mutex);
    channel_->owner = nullptr;
    dropped = std::move(channel_->answer);
}

template <class Work> void Thinker::ask(Work work) {
    cancel();
    busy_ = true;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    Workers::instance().post(
        {cancelled_, [channel = channel_, engine = engine_, cancelled = cancelled_,
                      ticket = ++ticket_, asked = Clock::now(), work = std::move(work)]() mutable {
             Answer a;
             a.ticket = ticket;
             // The time the question waited for a worker and for the engine
             // to be built is not taken from its thinking time.
             a.engine = engine ? std::move(engine) : Engine::shared();
             work(*a.engine, cancelled.get(), Clock::now() - asked, a);
             if (!cancelled->load())
                 channel->put(std::move(a));
         }});
}

void Thinker::decide(Level level, const Position &position, const Turn &turn, std::uint32_t seed) {
    ask([level, position, turn, seed](const Engine &engine, const std::atomic<bool> *cancelled,
                                      Clock::duration waited, Answer &a) {
        std::mt19937 rng(seed);
        Turn t = turn;
        t.deadline += waited;
        a.kind = Answer::Kind::Decided;
        a.decision = ai::decide(level, position, t, engine, rng, cancelled);
    });
}

void Thinker::findBest(const Position &position, Clock::duration allowed) {
    ask([position, allowed](const Engine &engine, const std::atomic<bool> *cancelled,
                            Clock::duration, Answer &a) {
        a.kind = Answer::Kind::Best;
        a.best = bestMove(position, engine, {Clock::now() + allowed, cancelled});
    });
}

void Thinker::prepare() {
    if (engine_ || busy_)
        return;
    ask([](const Engine &, const std::atomic<bool> *, Clock::duration, Answer &a) {
        a.kind = Answer::Kind::Ready;
    });
}

void Thinker::cancel() {
    if (cancelled_)
        cancelled_->store(true);
    cancelled_.reset();
    busy_ = false;
}

void Thinker::deliver() {
    std::optional<Answer> a;
    {
        const std::lock_guard<std::mutex> lock(channel_->mutex);
        a = std::exchange(channel_->answer, std::nullopt);
    }
    if (!a)
        return;
    if (!engine_)
        engine_ = a->engine;
    if (a->ticket != ticket_ || !busy_)
        return; // the answer to a question dropped since
    busy_ = false;
    cancelled_.reset();
    switch (a->kind) {
    case Answer::Kind::Ready:
        emit ready();
        break;
    case Answer::Kind::Decided:
        emit decided(a->decision);
        break;
    case Answer::Kind::Best:
        emit bestFound(a->best);
        break;
    }
}

} // namespace ai
