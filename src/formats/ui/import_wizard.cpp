#include "formats/ui/import_wizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QHeaderView>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace formats::ui {

namespace {

constexpr size_t kPreviewBytes = 64 * 1024;  // enough to see the layout of any file
constexpr int kPreviewRows = 50;             // lines of the file shown in columns

QPlainTextEdit* preview(const std::string& text, QWidget* parent) {
    auto* p = new QPlainTextEdit(QString::fromStdString(text.substr(0, kPreviewBytes)), parent);
    p->setReadOnly(true);
    p->setLineWrapMode(QPlainTextEdit::NoWrap);
    return p;
}

}  // namespace

bool runImportWizard(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<ImportWizardModel*>(&model);
    if (!m) return false;
    QDialog dialog(parent);
    dialog.setObjectName("TfrmImportWizzard");
    dialog.setWindowTitle("Import Wizzard");
    dialog.resize(640, 420);
    auto* layout = new QVBoxLayout(&dialog);
    auto* pages = new QStackedWidget(&dialog);
    layout->addWidget(pages);

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    auto* sepPage = new QWidget;
    auto* sepLayout = new QVBoxLayout(sepPage);
    sepLayout->addWidget(named(new QLabel("Separator character"), "lbSeparatorStep"));
    auto* settings = named(new QGroupBox("Settings"), "gbSettings");
    auto* settingsLayout = new QVBoxLayout(settings);
    settingsLayout->addWidget(named(new QLabel("Choose that character that separates your fields:"), "lbSeparator"));
    std::array<QRadioButton*, 3> seps = {named(new QRadioButton("Tab"), "rbTab"),
                                         named(new QRadioButton("Semicolon"), "rbSemicolon"),
                                         named(new QRadioButton("Comma"), "rbComma")};
    const char sepChars[] = {'\t', ';', ','};
    auto* sepRow = new QHBoxLayout;
    for (auto* r : seps) sepRow->addWidget(r);
    settingsLayout->addLayout(sepRow);
    sepLayout->addWidget(settings);
    sepLayout->addWidget(named(new QLabel("Contents of file:"), "lbContents1"));
    sepLayout->addWidget(preview(m->preview, sepPage));
    // The separator the file itself uses is the likely answer.
    const char guessed = GuessCsvSeparator(m->preview);
    for (size_t i = 0; i < seps.size(); ++i) seps[i]->setChecked(sepChars[i] == guessed);
    if (std::none_of(seps.begin(), seps.end(), [](QRadioButton* r) { return r->isChecked(); })) seps[0]->setChecked(true);
    pages->addWidget(sepPage);

    auto* fieldPage = new QWidget;
    auto* fieldLayout = new QVBoxLayout(fieldPage);
    fieldLayout->addWidget(named(new QLabel("Field assignment"), "lbFieldStep"));
    fieldLayout->addWidget(named(new QLabel("Data type:"), "lbDataType"));
    auto* header = named(new QCheckBox("First row contains column headings"), "cbHeadings");
    fieldLayout->addWidget(header);
    fieldLayout->addWidget(named(new QLabel("Contents of file:"), "lbContents2"));
    // The file's first lines in columns, each under the list that says what
    // the column holds; columns past the first line's fields stay hidden.
    auto* table = named(new QTableWidget(kPreviewRows + 1, kCsvMaxFields), "sgFields");
    table->verticalHeader()->hide();
    table->horizontalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    std::array<QComboBox*, kCsvMaxFields> types{};
    for (int k = 0; k < kCsvMaxFields; ++k) {
        auto* t = types[static_cast<size_t>(k)] = named(new QComboBox, "cbDataType");
        for (const char* name : kCsvTypeNames) t->addItem(name);
        table->setCellWidget(0, k, t);
    }
    fieldLayout->addWidget(table, 1);
    pages->addWidget(fieldPage);
    auto showFields = [m, table] {
        std::string_view text = m->preview;
        table->setRowCount(kPreviewRows + 1);
        int row = 1;
        for (; row <= kPreviewRows && !text.empty(); ++row) {
            size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            auto fields = SplitCsvLine(line, m->separator);
            for (int k = 0; k < kCsvMaxFields; ++k)
                table->setItem(row, k, new QTableWidgetItem(QString::fromStdString(fields[static_cast<size_t>(k + 1)])));
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        }
        table->setRowCount(row);
        for (int k = 0; k < kCsvMaxFields; ++k) table->setColumnHidden(k, k >= m->columnCount);
        table->resizeColumnsToContents();
    };

    auto* buttons = new QHBoxLayout;
    auto* previous = named(new QPushButton("< Previous"), "btPrevious");
    auto* next = named(new QPushButton("Next >"), "btNext");
    auto* finish = named(new QPushButton("Finish"), "btFinish");
    auto* cancel = named(new QPushButton("Cancel"), "btCancel");
    for (auto* b : {previous, next, finish, cancel}) buttons->addWidget(b);
    layout->addLayout(buttons);
    auto* status = new QStatusBar;
    status->showMessage(QString::fromStdString(m->fileName));
    layout->addWidget(status);
    previous->setEnabled(false);

    auto readSeparator = [=] {
        for (size_t i = 0; i < seps.size(); ++i)
            if (seps[i]->isChecked()) m->separator = sepChars[i];
    };
    auto readTypes = [=] {
        for (size_t k = 0; k < types.size(); ++k)
            m->columnTypes[k] = static_cast<int>(k) < m->columnCount ? types[k]->currentIndex() : kCsvSkip;
        m->headerRow = header->isChecked();
    };
    QObject::connect(next, &QPushButton::clicked, &dialog, [=, &showFields] {
        readSeparator();
        m->next();
        for (size_t k = 0; k < types.size(); ++k) {
            types[k]->setCurrentIndex(m->columnTypes[k]);
            types[k]->setVisible(static_cast<int>(k) < m->columnCount);
        }
        header->setChecked(m->headerRow);
        showFields();
        pages->setCurrentIndex(1);
        next->setEnabled(false);
        previous->setEnabled(true);
    });
    QObject::connect(previous, &QPushButton::clicked, &dialog, [=] {
        readTypes();
        m->previous();
        pages->setCurrentIndex(0);
        next->setEnabled(true);
        previous->setEnabled(false);
    });
    QObject::connect(finish, &QPushButton::clicked, &dialog, [=, &dialog] {
        readSeparator();
        if (pages->currentIndex() == 1) readTypes();
        m->finish();
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [=, &dialog] {
        m->cancel();
        dialog.reject();
    });
    if (setup) setup(&dialog);
    dialog.exec();
    return m->result == ImportWizardModel::Result::Finish;
}

}  // namespace formats::ui
