#pragma once
// The desktop's own chooser, run as the zenity program. The call blocks until
// the dialog closes; the planner's window is not redrawn meanwhile.

#include <string>
#include <vector>

#include "ui/FileChooser.hpp"

namespace tessarin {

class ZenityFileChooser : public FileChooser {
public:
    // program is the zenity executable's path.
    explicit ZenityFileChooser(std::string program) : program_(std::move(program)) {}

    std::string openFile(const FileFilter& filter) override;
    std::string saveFile(const FileFilter& filter) override;

    // The zenity executable on PATH, or "" when there is none.
    static std::string findProgram();
    // Arguments after the program name.
    static std::vector<std::string> arguments(bool save, const FileFilter& filter);
    // Runs argv (argv[0] is the program), returning its standard output and
    // exit status; status -1 when it could not be started.
    static int runCapturing(const std::vector<std::string>& argv, std::string& output);

private:
    std::string choose(bool save, const FileFilter& filter);

    std::string program_;
};

}  // namespace tessarin
