#pragma once
// What the in-window file chooser shows and does, without the window: one
// folder's listing filtered by the dialog's pattern, moving between folders,
// and turning the typed name into the chosen path.

#include <string>
#include <vector>

namespace tessarin {

struct ChooserEntry {
    std::string name;
    bool folder = false;
};

class ChooserFolder {
public:
    enum class Outcome {
        Nothing,        // no name, or (open) no such file: the dialog stays
        EnteredFolder,  // the name was a folder, which is now listed
        Chosen,         // path holds the chosen file
    };

    // folder: where the dialog opens; pattern: shell pattern of the files listed.
    ChooserFolder(std::string folder, std::string pattern);

    const std::string& folder() const { return folder_; }
    // ".." first (except at the root), then folders, then the files matching
    // the pattern in any case (TRIP.CSV for *.csv), each group in name order.
    // Hidden entries are left out.
    const std::vector<ChooserEntry>& entries() const { return entries_; }
    // Why the folder could not be listed or the name not chosen; "" when fine.
    const std::string& message() const { return message_; }

    // Lists a sub-folder by name, or the parent for "..". False (and the
    // listing unchanged) when it cannot be read.
    bool enter(const std::string& name);
    // OK or Enter with the name typed: a folder is entered; otherwise the
    // name (relative to the folder, or absolute) is the chosen path. When
    // opening, the file must exist.
    Outcome confirm(const std::string& typedName, bool save, std::string& path);
    // The name a save dialog takes from a listed file: without the filter's
    // extension, which the caller adds again ("trip.csv" gives "trip").
    std::string nameToSave(const std::string& fileName) const;

private:
    bool list(const std::string& folder);

    std::string folder_;
    std::string pattern_;
    std::vector<ChooserEntry> entries_;
    std::string message_;
};

}  // namespace tessarin
