#include "ui/ZenityFileChooser.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace tessarin {

namespace {

// zenity's texts are markup: the file names must not be read as tags.
std::string escapeMarkup(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string ZenityFileChooser::openFile(const FileFilter& filter) { return choose(false, filter); }

std::string ZenityFileChooser::saveFile(const FileFilter& filter) { return choose(true, filter); }

std::vector<std::string> ZenityFileChooser::arguments(bool save, const FileFilter& filter, const std::string& title) {
    std::vector<std::string> args{"--file-selection"};
    if (save) args.push_back("--save");
    args.push_back("--file-filter=" + filter.name + " | " + filter.pattern);
    if (!title.empty()) args.push_back("--title=" + title);
    return args;
}

bool ZenityFileChooser::failed(int status, const std::string& errors) {
    if (status < 0 || status > 1) return true;
    // Without a display GTK gives up with the status of a cancel.
    std::string lower = errors;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return status == 1 && lower.find("cannot open display") != std::string::npos;
}

bool ZenityFileChooser::fallBack(int status, const std::string& errors) {
    std::string reason = status < 0 ? "it could not be run" : "status " + std::to_string(status);
    const std::string::size_type end = errors.find('\n');
    if (!errors.empty()) reason += ": " + errors.substr(0, end);
    if (!fallback_) {
        std::cerr << "The desktop's file chooser failed (" << reason << "); nothing was chosen\n";
        return false;
    }
    std::cerr << "The desktop's file chooser failed (" << reason << "); using the chooser in the window instead\n";
    useFallback_ = true;
    return true;
}

std::string ZenityFileChooser::choose(bool save, const FileFilter& filter) {
    const std::string title = takeTitle(save);
    if (useFallback_) {
        fallback_->setTitle(title);
        return save ? fallback_->saveFile(filter) : fallback_->openFile(filter);
    }
    std::vector<std::string> argv{program_};
    for (const std::string& a : arguments(save, filter, title)) argv.push_back(a);
    std::string output, errors;
    const int status = runCapturing(argv, output, &errors);
    if (failed(status, errors)) {
        if (!fallBack(status, errors)) return "";
        setTitle(title);
        return choose(save, filter);
    }
    // Status 1 is a cancel.
    if (status != 0) return "";
    // One path and a newline; a name holding a newline is not a path the
    // planner can write anyway.
    const std::string::size_type end = output.find('\n');
    if (end != std::string::npos) output.erase(end);
    return output;
}

bool ZenityFileChooser::confirmReplace(const std::vector<std::string>& files) {
    if (files.empty()) return true;
    if (useFallback_) return fallback_->confirmReplace(files);
    std::string text = files.size() == 1 ? "This file already exists:\n" : "These files already exist:\n";
    for (const std::string& f : files) text += "\n" + escapeMarkup(f);
    text += files.size() == 1 ? "\n\nReplace it?" : "\n\nReplace them?";
    const std::vector<std::string> argv{program_, "--question", "--title=Replace existing files?", "--text=" + text,
                                        "--ok-label=Replace", "--cancel-label=Keep"};
    std::string output, errors;
    const int status = runCapturing(argv, output, &errors);
    if (failed(status, errors)) {
        // Unasked, nothing is replaced.
        return fallBack(status, errors) && fallback_->confirmReplace(files);
    }
    return status == 0;
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

int ZenityFileChooser::runCapturing(const std::vector<std::string>& argv, std::string& output, std::string* errors) {
    output.clear();
    if (errors) errors->clear();
    int out[2];
    int err[2];
    if (pipe(out) != 0) return -1;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
        return -1;
    }
    if (child == 0) {
        // The planner's standard output must carry only its own lines.
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    // Both pipes are drained together, so a chatty toolkit cannot fill one
    // while the other is waited on.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string errorText;
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (pollfd& p : fds) {
            if (p.fd < 0 || (p.revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            char buffer[4096];
            const ssize_t n = read(p.fd, buffer, sizeof buffer);
            if (n > 0) {
                (p.fd == out[0] ? output : errorText).append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(p.fd);
                p.fd = -1;
                --open;
            }
        }
    }
    for (pollfd& p : fds) {
        if (p.fd >= 0) close(p.fd);
    }
    if (errors) *errors = errorText;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status)) return -1;
    const int code = WEXITSTATUS(status);
    return code == 127 ? -1 : code;
}

}  // namespace tessarin
