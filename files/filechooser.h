// The open and save file dialogs of the settings file.
#pragma once

#include <optional>
#include <string>

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // A chosen full path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFile(bool forSaving, const std::string& folder,
                                                  const std::string& proposedName) = 0;
};
