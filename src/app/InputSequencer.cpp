#include "app/InputSequencer.hpp"

namespace tessarin {

int InputSequencer::keyIndex(const InputEvent& e) {
    const bool special = e.kind == InputEvent::Kind::Special || e.kind == InputEvent::Kind::SpecialUp;
    const int index = (special ? 256 : 0) + (e.code & 0xFF);
    return index;
}

bool InputSequencer::mustWait(const InputEvent& e) const {
    switch (e.kind) {
        case InputEvent::Kind::Button:
            // A press and a release of one button in one frame.
            return e.code >= 0 && e.code < kButtons && buttonFrame_[static_cast<std::size_t>(e.code)] == frame_;
        case InputEvent::Kind::Key:
        case InputEvent::Kind::Special:
            // After a press the GUI decides, in the next frame, whether a
            // text field has the keyboard. A key that went up or down in this
            // frame waits too: the GUI sees only the state at the frame, so
            // a release and the next press together would count as no press.
            return pressFrame_ == frame_ || keyFrame_[static_cast<std::size_t>(keyIndex(e))] == frame_;
        case InputEvent::Kind::KeyUp:
        case InputEvent::Kind::SpecialUp:
            return keyFrame_[static_cast<std::size_t>(keyIndex(e))] == frame_;
        case InputEvent::Kind::Motion:
        case InputEvent::Kind::PassiveMotion:
        case InputEvent::Kind::Wheel:
            return false;
    }
    return false;
}

void InputSequencer::carryOut(const InputEvent& e) {
    switch (e.kind) {
        case InputEvent::Kind::Button:
            if (e.code >= 0 && e.code < kButtons) buttonFrame_[static_cast<std::size_t>(e.code)] = frame_;
            if (e.state == 0) pressFrame_ = frame_;
            break;
        case InputEvent::Kind::Key:
        case InputEvent::Kind::Special:
        case InputEvent::Kind::KeyUp:
        case InputEvent::Kind::SpecialUp:
            keyFrame_[static_cast<std::size_t>(keyIndex(e))] = frame_;
            break;
        default:
            break;
    }
    dispatch_(e);
}

void InputSequencer::post(const InputEvent& event) {
    if (!queue_.empty() || mustWait(event)) {
        queue_.push_back(event);
        return;
    }
    carryOut(event);
}

void InputSequencer::frameDone() {
    ++frame_;
    // A dialog run by a queued event builds frames of its own and calls
    // back here; the outer drain goes on once it returns.
    if (draining_) return;
    draining_ = true;
    while (!queue_.empty() && !mustWait(queue_.front())) {
        const InputEvent e = queue_.front();
        queue_.pop_front();
        carryOut(e);
    }
    draining_ = false;
}

}  // namespace tessarin
