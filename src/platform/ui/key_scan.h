#pragma once
// The keys a terminal sends, as far as the stop button cares: Esc alone is a stop; the
// sequences that arrow, function and Alt-modified keys send also begin with the Esc byte
// (ESC [ ... final byte, ESC O x, ESC x) and must not stop anything.
#include <string_view>

namespace tesma::ui {

class KeyScan {
public:
    // Takes bytes as read; returns true when they complete a lone Esc press.
    bool Feed(std::string_view bytes);
    // Whether the bytes so far end inside what may still become a sequence (a lone Esc byte,
    // or an unfinished sequence): the caller waits briefly for more, then calls Timeout.
    bool Pending() const { return state_ != State::Idle; }
    // No more bytes came: a lone Esc byte was the Esc key; an unfinished sequence is dropped.
    bool Timeout();

private:
    enum class State { Idle, Escape, Csi, Ss3 };
    State state_ = State::Idle;
};

}  // namespace tesma::ui
