#include "formats/save_dialog_model.h"

namespace formats {

SaveFormat SaveDialogModel::format() const {
    const auto& rows = SaveFormats();
    return formatIndex >= 0 && formatIndex < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(formatIndex)].format
                                                                            : SaveFormat::Gpx;
}

void SaveDialogModel::chooseFormat(int index) {
    formatIndex = index;
    if (!fileName.empty()) fileName = ReplaceExtension(fileName, SaveFormatOf(format()).extension);
}

std::string SaveDialogModel::browseDirectory(const std::string& workingDirectory) const {
    return currentDirectory.empty() ? workingDirectory : currentDirectory;
}

std::string SaveDialogModel::browseProposal() const {
    std::string extension = SaveFormatOf(format()).extension;
    return currentFileName.empty() ? "*" + extension : ReplaceExtension(currentFileName, extension);
}

}  // namespace formats
