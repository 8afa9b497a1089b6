#pragma once
// The right-button menu as the window library runs it, kept from two of the
// library's ways. The library shows a menu's window only after it has
// handled every event it read in one go, but hides it at once: a menu opened
// and closed by events read together (a right click, then a click beside
// the menu, on a busy machine) is shown after it was closed and stays on the
// screen, closed to the library, so no click removes it and every key typed
// with the pointer over it is lost. And the library ends the program when a
// menu is attached or detached while it is in use.
//
// So the menu's window is hidden again after every round of events in which
// a menu was in use and no longer is, and the menu is attached, exactly
// while no dialog drawn in the window is open, only while it is closed.
//
// Builds without GL: the shell hands in what the library does.

#include <functional>

namespace tessarin {

class RightButtonMenu {
public:
    struct Host {
        std::function<void()> hideWindow;   // hides the menu's own window
        std::function<void(bool)> attach;   // true: the right button opens the menu; false: it does not
    };

    // The menu starts attached.
    explicit RightButtonMenu(Host host) : host_(std::move(host)) {}

    // The library reports the menu opened (true) or closed (false).
    void statusChanged(bool inUse);
    // A dialog drawn in the window opens (true) or closes (false).
    void setModal(bool modal);
    // After each round of events and frame.
    void tend();

    // Whether an entry chosen now is carried out: not while a dialog has
    // the input (a menu opened just before the dialog can still be chosen
    // from).
    bool takesChoices() const { return !modal_; }
    bool attached() const { return attached_; }

private:
    Host host_;
    bool inUse_ = false;
    bool openedSinceHidden_ = false;
    bool attached_ = true;
    bool modal_ = false;
};

}  // namespace tessarin
