#pragma once
// The desktop's own chooser, run as the zenity program. The call blocks until
// the dialog closes; the planner's window is not redrawn meanwhile. When
// zenity is there but fails (no display, a crash), the fallback chooser
// takes over, for that dialog and every later one, and the user is told.

#include <memory>
#include <string>
#include <vector>

#include "ui/FileChooser.hpp"

namespace tessarin {

class ZenityFileChooser : public FileChooser {
public:
    // program is the zenity executable's path; fallback may be null.
    explicit ZenityFileChooser(std::string program, std::unique_ptr<FileChooser> fallback = nullptr)
        : program_(std::move(program)), fallback_(std::move(fallback)) {}

    std::string openFile(const FileFilter& filter) override;
    std::string saveFile(const FileFilter& filter) override;
    bool confirmReplace(const std::vector<std::string>& files) override;

    // The zenity executable on PATH, or "" when there is none.
    static std::string findProgram();
    // Arguments after the program name.
    static std::vector<std::string> arguments(bool save, const FileFilter& filter, const std::string& title = "");
    // Runs argv (argv[0] is the program), returning its standard output and
    // exit status; status -1 when it could not be started or did not exit.
    // Its standard error goes to errors when given, else nowhere.
    static int runCapturing(const std::vector<std::string>& argv, std::string& output, std::string* errors = nullptr);
    // Whether a run's status and standard error mean that zenity failed
    // rather than answered (0 chosen, 1 cancelled).
    static bool failed(int status, const std::string& errors);

    bool usingFallback() const { return useFallback_; }

private:
    std::string choose(bool save, const FileFilter& filter);
    // Reports the failure and switches to the fallback; false without one.
    bool fallBack(int status, const std::string& errors);

    std::string program_;
    std::unique_ptr<FileChooser> fallback_;
    bool useFallback_ = false;
};

}  // namespace tessarin
