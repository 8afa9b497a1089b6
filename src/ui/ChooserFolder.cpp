#include "ui/ChooserFolder.hpp"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace tessarin {

namespace {

// Normal form without a trailing separator, so ".." always means the parent.
std::string cleanFolder(const fs::path& p) {
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

}  // namespace

ChooserFolder::ChooserFolder(std::string folder, std::string pattern) : pattern_(std::move(pattern)) {
    std::error_code ec;
    fs::path start = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) start = fs::path("/");
    if (!list(cleanFolder(start))) folder_ = cleanFolder(start);
}

bool ChooserFolder::list(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        message_ = "Cannot read the folder " + folder + ": " + ec.message();
        return false;
    }
    std::vector<ChooserEntry> folders, files;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            folders.push_back({name, true});
        } else if (fnmatch(pattern_.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const ChooserEntry& a, const ChooserEntry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    entries_.clear();
    fs::path p(folder);
    if (p.has_relative_path()) entries_.push_back({"..", true});
    entries_.insert(entries_.end(), folders.begin(), folders.end());
    entries_.insert(entries_.end(), files.begin(), files.end());
    folder_ = folder;
    message_.clear();
    return true;
}

bool ChooserFolder::enter(const std::string& name) {
    fs::path target = name == ".." ? fs::path(folder_).parent_path() : fs::path(folder_) / name;
    return list(cleanFolder(target));
}

ChooserFolder::Outcome ChooserFolder::confirm(const std::string& typedName, bool save, std::string& path) {
    if (typedName.empty()) return Outcome::Nothing;
    fs::path typed(typedName);
    fs::path full = typed.is_absolute() ? typed : fs::path(folder_) / typed;
    full = cleanFolder(full);
    std::error_code ec;
    if (fs::is_directory(full, ec)) {
        return list(full.string()) ? Outcome::EnteredFolder : Outcome::Nothing;
    }
    if (!save && !fs::exists(full, ec)) {
        message_ = "No file " + full.string();
        return Outcome::Nothing;
    }
    path = full.string();
    message_.clear();
    return Outcome::Chosen;
}

}  // namespace tessarin

namespace tessarin {

std::string ChooserFolder::nameToSave(const std::string& fileName) const {
    // Only a pattern of the form *.ext names an extension to take off.
    if (pattern_.size() < 3 || pattern_.compare(0, 2, "*.") != 0) return fileName;
    const std::string ext = pattern_.substr(1);
    if (ext.find_first_of("*?[") != std::string::npos || fileName.size() <= ext.size()) return fileName;
    const std::string tail = fileName.substr(fileName.size() - ext.size());
    const bool same = std::equal(tail.begin(), tail.end(), ext.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return same ? fileName.substr(0, fileName.size() - ext.size()) : fileName;
}

}  // namespace tessarin
