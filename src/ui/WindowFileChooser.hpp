#pragma once
// A file chooser drawn in the planner's own window with the GUI library, for
// desktops without a native one (and for tests that drive it by keyboard).
// Modal: it runs its own event loop until the user chooses or cancels, while
// the host keeps the map drawn behind it and keeps events away from the map.

#include <functional>
#include <string>
#include <vector>

#include "ui/FileChooser.hpp"

namespace tessarin {

class WindowFileChooser : public FileChooser {
public:
    struct Host {
        std::function<void(bool)> setModal;   // true: events reach only the GUI; false: restore
        std::function<void()> drawBehind;     // the map scene under the dialog
        std::function<void()> frameDone;      // after each of the dialog's frames
    };

    explicit WindowFileChooser(Host host) : host_(std::move(host)) {}

    std::string openFile(const FileFilter& filter) override;
    std::string saveFile(const FileFilter& filter) override;
    bool confirmReplace(const std::vector<std::string>& files) override;

    enum class Answer { Open, Chosen, Cancelled };

private:
    std::string run(bool save, const FileFilter& filter);
    // Runs the dialog's frames until draw() answers.
    template <typename Draw>
    Answer loop(Draw&& draw);

    Host host_;
};

}  // namespace tessarin
