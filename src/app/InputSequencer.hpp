#pragma once
// Puts the window system's input events in an order the GUI can follow.
// The GUI library samples keys and buttons once a frame, so a press and its
// release that arrive between two frames (a quick tap, a click under load,
// xdotool) would never be seen, and a key typed just after a click would be
// judged by where the keyboard was before the click. An event that would be
// lost that way waits until the next frame has been built; every event
// after a waiting one waits too, so the order stays as typed.
//
// Builds without GL: the shell hands in how an event is carried out.

#include <array>
#include <deque>
#include <functional>

namespace tessarin {

struct InputEvent {
    enum class Kind { Key, KeyUp, Special, SpecialUp, Button, Motion, PassiveMotion, Wheel };
    Kind kind = Kind::Key;
    int code = 0;   // character, special-key code, button or wheel number
    int state = 0;  // button: down 0 or up 1; wheel: direction
    int x = 0;
    int y = 0;
    int modifiers = 0;  // as the window system reported them with the event
};

class InputSequencer {
public:
    using Dispatch = std::function<void(const InputEvent&)>;

    explicit InputSequencer(Dispatch dispatch) : dispatch_(std::move(dispatch)) {
        keyFrame_.fill(-1);
        buttonFrame_.fill(-1);
    }

    // Carries the event out now, or queues it behind those that wait.
    void post(const InputEvent& event);
    // A frame has been built: the queued events go on, up to the next one
    // that must wait for another frame.
    void frameDone();

    std::size_t waiting() const { return queue_.size(); }

private:
    static constexpr int kButtons = 8;
    static constexpr int kKeys = 512;  // characters, then special keys from 256

    bool mustWait(const InputEvent& e) const;
    void carryOut(const InputEvent& e);
    static int keyIndex(const InputEvent& e);

    Dispatch dispatch_;
    std::deque<InputEvent> queue_;
    long frame_ = 0;
    long pressFrame_ = -1;
    std::array<long, kKeys> keyFrame_{};
    std::array<long, kButtons> buttonFrame_{};
    bool draining_ = false;
};

}  // namespace tessarin
