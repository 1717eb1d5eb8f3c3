#include "platform/ui/key_scan.h"

namespace tesma::ui {

bool KeyScan::Feed(std::string_view bytes) {
    constexpr char kEsc = 27;
    bool stop = false;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (state_) {
            case State::Idle:
                if (c == kEsc) state_ = State::Escape;
                break;
            case State::Escape:
                if (c == '[')
                    state_ = State::Csi;
                else if (c == 'O')
                    state_ = State::Ss3;
                else if (c == kEsc)
                    stop = true;  // Esc pressed twice: the first was a key of its own
                else
                    state_ = State::Idle;  // Alt with a key
                break;
            case State::Csi:
                if (u >= 0x40 && u <= 0x7E) state_ = State::Idle;  // the final byte
                break;
            case State::Ss3:
                state_ = State::Idle;
                break;
        }
    }
    return stop;
}

bool KeyScan::Timeout() {
    const bool lone = state_ == State::Escape;
    state_ = State::Idle;
    return lone;
}

}  // namespace tesma::ui
