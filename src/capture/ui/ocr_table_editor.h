#pragma once
// TOcrTable: the character table editor, a development window opened from
// the capture window's "SaveToFile". It lists the table file's sections,
// cuts a block of columns out of the pixel dump saved in OcrData.txt and
// stores it as a character's entry.

#include <QDialog>

#include <string>
#include <vector>

#include "capture/ocr.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;

namespace capture::ui {

class TOcrTable : public QDialog {
public:
    TOcrTable(std::string tableFile, std::string dataFile, const OcrProfile& profile, QWidget* parent = nullptr);

    void setDump(const std::vector<std::string>& lines);  // "Bitmap gegevens:"
    // "Inlezen -->": re-reads OcrData.txt and shows the block.
    void readBlock();
    // "Karakter opslaan": writes the block as the character's entry.
    bool saveCharacter();
    void refreshSections();
    void selectSection(const QString& name);

private:
    std::string tableFile_, dataFile_;
    const OcrProfile& profile_;
    std::vector<std::string> block_;
    QListWidget *sections_, *section_;
    QLineEdit *number_, *character_;
    QScrollBar *beginX_, *beginY_, *width_;
    QLineEdit *beginXText_, *beginYText_, *widthText_;
    QPlainTextEdit *data_, *bitmap_;
};

}  // namespace capture::ui
