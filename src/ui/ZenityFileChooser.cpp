#include "ui/ZenityFileChooser.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace tessarin {

std::string ZenityFileChooser::openFile(const FileFilter& filter) { return choose(false, filter); }

std::string ZenityFileChooser::saveFile(const FileFilter& filter) { return choose(true, filter); }

std::vector<std::string> ZenityFileChooser::arguments(bool save, const FileFilter& filter) {
    std::vector<std::string> args{"--file-selection"};
    if (save) args.push_back("--save");
    args.push_back("--file-filter=" + filter.name + " | " + filter.pattern);
    return args;
}

std::string ZenityFileChooser::choose(bool save, const FileFilter& filter) {
    std::vector<std::string> argv{program_};
    for (const std::string& a : arguments(save, filter)) argv.push_back(a);
    std::string output;
    // Status 1 is a cancel; anything but 0 leaves nothing chosen.
    if (runCapturing(argv, output) != 0) return "";
    // One path and a newline; a name holding a newline is not a path the
    // planner can write anyway.
    const std::string::size_type end = output.find('\n');
    if (end != std::string::npos) output.erase(end);
    return output;
}

std::string ZenityFileChooser::findProgram() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/zenity";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

int ZenityFileChooser::runCapturing(const std::vector<std::string>& argv, std::string& output) {
    output.clear();
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        // The toolkit's warnings on a bare desktop mean nothing to the user;
        // the planner's standard output must carry only its own lines.
        dup2(fds[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status)) return -1;
    const int code = WEXITSTATUS(status);
    return code == 127 ? -1 : code;
}

}  // namespace tessarin
