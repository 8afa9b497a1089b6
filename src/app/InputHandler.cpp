#include "app/InputHandler.hpp"

namespace tessarin {

void InputHandler::keyboard(unsigned char key, int, int) {
    if (key == 'q') shell_.exitProgram(1);
}

}  // namespace tessarin
