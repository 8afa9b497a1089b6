#include "app/RightButtonMenu.hpp"

namespace tessarin {

void RightButtonMenu::statusChanged(bool inUse) {
    inUse_ = inUse;
    if (inUse) openedSinceHidden_ = true;
}

void RightButtonMenu::setModal(bool modal) {
    modal_ = modal;
    tend();
}

void RightButtonMenu::tend() {
    if (inUse_) return;
    if (openedSinceHidden_) {
        if (host_.hideWindow) host_.hideWindow();
        openedSinceHidden_ = false;
    }
    const bool wanted = !modal_;
    if (attached_ != wanted) {
        if (host_.attach) host_.attach(wanted);
        attached_ = wanted;
    }
}

}  // namespace tessarin
