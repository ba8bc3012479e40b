#include "ai/analysis.h"

#include "ai/choice.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace ai {

std::vector<TurnAnswer> analyse(const Engine &engine, const std::vector<TurnQuestion> &questions,
                                int threads) {
    std::vector<TurnAnswer> answers(questions.size());
    // Each worker takes the next question until none is left; every answer
    // has its own slot, so the workers share nothing else.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < questions.size(); i = next++) {
            TurnAnswer &a = answers[i];
            a.best = bestMove(questions[i].position, engine);
            if (a.best)
                a.givenAway = std::max(0, a.best->score - questions[i].played);
        }
    };
    const int count = std::clamp(threads, 1, std::max(1, int(questions.size())));
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread &w : workers)
        w.join();
    return answers;
}

} // namespace ai
