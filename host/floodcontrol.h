#pragma once

#include <chrono>
#include <optional>

// Flood control for one connection, the way IRC servers keep a flood from
// reaching everybody: every chat line, action and chatter sound costs a
// penalty on the connection's own clock, which runs down in real time. A
// line that would put the clock more than an allowance ahead is dropped, not
// relayed; the sender hears of it once per flood. A flood that goes on for
// longer than a limit ends the connection. A flood ends once the clock has
// run down completely.
//
// Ten lines at once, phrase buttons and smilies stay far below the limits:
// a phrase button sends at most one line every 101 ms.
class FloodControl {
public:
    using Clock = std::chrono::steady_clock;

    // The limits, in one place.
    static constexpr std::chrono::milliseconds kPenalty{100};    // what one line costs
    static constexpr std::chrono::milliseconds kAllowance{3000}; // how far the clock may run ahead
    static constexpr std::chrono::seconds kLongestFlood{30};     // then the connection ends
    // While a flood is being cut, the host reads the flooder's connection at
    // most once in this time: dropping lines as fast as a client can send them
    // would keep the host busy for nothing.
    static constexpr std::chrono::milliseconds kHold{20};
    // What the sender is told, once per flood.
    static constexpr char kWarning[] = "You are sending too fast; some lines were not sent.";

    enum class Verdict {
        Pass,        // relay the line
        DropAndTell, // drop it; the flood starts here: tell the sender
        Drop,        // drop it
        Disconnect,  // drop it and end the connection (once; Drop afterwards)
    };

    // Charges one line sent at `now` (which never goes back).
    Verdict take(Clock::time_point now);

private:
    Clock::time_point clock_{};                  // the penalty clock
    std::optional<Clock::time_point> floodFrom_; // the first line dropped in this flood
    bool ended_ = false;
};
