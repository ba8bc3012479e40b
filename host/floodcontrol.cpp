#include "host/floodcontrol.h"

FloodControl::Verdict FloodControl::take(Clock::time_point now) {
    if (clock_ < now) {
        // Run down: whatever flood there was is over.
        clock_ = now;
        floodFrom_.reset();
    }
    if (clock_ + kPenalty - now <= kAllowance) {
        clock_ += kPenalty;
        return Verdict::Pass;
    }
    // Dropped lines cost nothing more: the clock runs down as soon as the
    // sender slows down.
    if (!floodFrom_) {
        floodFrom_ = now;
        return Verdict::DropAndTell;
    }
    if (now - *floodFrom_ > kLongestFlood && !ended_) {
        ended_ = true;
        return Verdict::Disconnect;
    }
    return Verdict::Drop;
}
