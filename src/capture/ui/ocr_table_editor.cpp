#include "capture/ui/ocr_table_editor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <fstream>

#include "app/ini.h"
#include "capture/ocr_table.h"

namespace capture::ui {

namespace {

constexpr int kMaxBeginX = 310, kMaxBeginY = 60, kMaxWidth = 12;

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

QScrollBar* bar(QWidget* parent, const char* name, int max, int value) {
    auto* b = new QScrollBar(Qt::Horizontal, parent);
    b->setObjectName(name);
    b->setRange(0, max);
    b->setValue(value);
    return b;
}

QLineEdit* readOnlyField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setMaximumWidth(50);
    return e;
}

}  // namespace

TOcrTable::TOcrTable(std::string tableFile, std::string dataFile, const OcrProfile& profile, QWidget* parent)
    : QDialog(parent), tableFile_(std::move(tableFile)), dataFile_(std::move(dataFile)), profile_(profile) {
    setObjectName("OcrTable");
    setWindowTitle("OcrTable");
    sections_ = new QListWidget(this);
    sections_->setObjectName("ListBox1");
    section_ = new QListWidget(this);
    section_->setObjectName("ListBox2");
    number_ = new QLineEdit(this);
    number_->setObjectName("Edit1");
    character_ = new QLineEdit(this);
    character_->setObjectName("Edit2");
    beginX_ = bar(this, "ScrollBar1", kMaxBeginX, 1);
    beginY_ = bar(this, "ScrollBar2", kMaxBeginY, kLineSpacing);
    width_ = bar(this, "ScrollBar3", kMaxWidth, 6);
    beginXText_ = readOnlyField(this, "Edit3");
    beginYText_ = readOnlyField(this, "Edit4");
    widthText_ = readOnlyField(this, "Edit5");
    data_ = new QPlainTextEdit(this);
    data_->setObjectName("Memo2");
    data_->setReadOnly(true);
    bitmap_ = new QPlainTextEdit(this);
    bitmap_->setObjectName("Memo1");
    bitmap_->setReadOnly(true);
    bitmap_->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (QPlainTextEdit* e : {data_, bitmap_}) e->setFont(QFont("DejaVu Sans Mono"));
    auto* read = new QPushButton("Inlezen -->", this);
    read->setObjectName("Button1");
    auto* save = new QPushButton("Karakter opslaan", this);
    save->setObjectName("Button2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Sections:", this), 0, 0);
    grid->addWidget(sections_, 1, 0, 6, 1);
    grid->addWidget(new QLabel("Section:", this), 0, 1);
    grid->addWidget(section_, 1, 1, 6, 1);
    int row = 0;
    auto labelled = [&](const char* label, QWidget* a, QWidget* b = nullptr) {
        grid->addWidget(new QLabel(label, this), row, 2);
        grid->addWidget(a, row, 3);
        if (b) grid->addWidget(b, row, 4);
        ++row;
    };
    labelled("Nummer:", number_);
    labelled("Karakter:", character_);
    labelled("Begin X:", beginX_, beginXText_);
    labelled("Begin Y:", beginY_, beginYText_);
    labelled("Breedte:", width_, widthText_);
    grid->addWidget(read, row, 2);
    grid->addWidget(save, row, 3);
    grid->addWidget(new QLabel("Gegevens:", this), 7, 0);
    grid->addWidget(data_, 8, 0, 1, 2);
    grid->addWidget(new QLabel("Bitmap gegevens:", this), 7, 2);
    grid->addWidget(bitmap_, 8, 2, 1, 3);

    for (QScrollBar* b : {beginX_, beginY_, width_}) connect(b, &QScrollBar::valueChanged, this, [this] { readBlock(); });
    connect(read, &QPushButton::clicked, this, [this] { readBlock(); });
    connect(save, &QPushButton::clicked, this, [this] { saveCharacter(); });
    connect(sections_, &QListWidget::currentTextChanged, this, [this](const QString& name) { selectSection(name); });
    refreshSections();
    readBlock();
}

void TOcrTable::setDump(const std::vector<std::string>& lines) {
    QStringList text;
    for (const auto& l : lines) text << QString::fromStdString(l);
    bitmap_->setPlainText(text.join('\n'));
}

void TOcrTable::refreshSections() {
    app::IniFile ini = app::IniFile::load(tableFile_);
    QStringList names;
    for (const auto& s : ini.sections()) names << QString::fromStdString(s);
    names.sort();
    QString current = sections_->currentItem() ? sections_->currentItem()->text() : QString();
    sections_->clear();
    sections_->addItems(names);
    auto found = sections_->findItems(current, Qt::MatchExactly);
    if (!found.isEmpty()) sections_->setCurrentItem(found.first());
}

void TOcrTable::selectSection(const QString& name) {
    section_->clear();
    if (name.isEmpty()) return;
    app::IniFile ini = app::IniFile::load(tableFile_);
    for (const auto& [key, value] : ini.entries(name.toStdString()))
        section_->addItem(QString::fromStdString(key + "=" + value));
    if (name.contains("ascii", Qt::CaseInsensitive)) {
        number_->setText(name.mid(6, 3).trimmed());
        character_->setText(QString::fromStdString(ini.readString(name.toStdString(), "kar", "")));
    }
}

void TOcrTable::readBlock() {
    beginXText_->setText(QString::number(beginX_->value()));
    beginYText_->setText(QString::number(beginY_->value()));
    widthText_->setText(QString::number(width_->value()));
    block_ = DumpBlock(readLines(dataFile_), beginX_->value(), beginY_->value(), width_->value(), profile_.columnHeight);
    QStringList rows;
    for (const auto& r : block_) rows << QString::fromStdString(r);
    data_->setPlainText(rows.join('\n'));
}

bool TOcrTable::saveCharacter() {
    bool ok = false;
    int code = number_->text().trimmed().toInt(&ok);
    if (!ok || code < kFirstOcrCode || code > kLastOcrCode) {
        QMessageBox::warning(this, windowTitle(), QString("Nummer must be a character code from %1 to %2.")
                                                      .arg(kFirstOcrCode)
                                                      .arg(kLastOcrCode));
        return false;
    }
    std::string section = "ascii-" + std::to_string(code);
    app::IniFile ini = app::IniFile::load(tableFile_);
    ini.set(section, "kar", character_->text().toStdString());
    ini.writeInteger(section, "length", width_->value());
    std::vector<std::string> columns = BlockColumns(block_);
    for (int k = 1; k <= width_->value(); ++k)
        ini.set(section, "s" + std::to_string(k), k <= static_cast<int>(columns.size()) ? columns[static_cast<size_t>(k - 1)] : "");
    std::string error;
    if (!ini.save(tableFile_, error)) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
        return false;
    }
    refreshSections();
    selectSection(QString::fromStdString(section));
    return true;
}

}  // namespace capture::ui
