#pragma once
// The save dialog TfmSave as plain data: the file-name field, the chosen
// format, and the rules that tie the two together.

#include <string>

#include "formats/file_type.h"
#include "host/host.h"

namespace formats {

class SaveDialogModel : public host::DialogModel {
public:
    std::string dialogName() const override { return "TfmSave"; }

    std::string fileName;  // Edit1
    int formatIndex = 0;   // RadioGroup1, in the order of SaveFormats()
    // For the file-name browser.
    std::string currentFileName;
    std::string currentDirectory;

    SaveFormat format() const;
    // Choosing a format while a name is typed gives the name its extension.
    void chooseFormat(int index);
    // Where the browser starts and which name it proposes.
    std::string browseDirectory(const std::string& workingDirectory) const;
    std::string browseProposal() const;
};

}  // namespace formats
