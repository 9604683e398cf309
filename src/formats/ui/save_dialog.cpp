#include "formats/ui/save_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace formats::ui {

SaveDialog::SaveDialog(SaveDialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("TfmSave");
    setWindowTitle("Save points as");
    auto* layout = new QVBoxLayout(this);

    auto* row = new QHBoxLayout;
    auto* browseButton = new QPushButton("File name", this);
    browseButton->setObjectName("Button1");
    fileName_ = new QLineEdit(QString::fromStdString(model_.fileName), this);
    fileName_->setObjectName("Edit1");
    row->addWidget(browseButton);
    row->addWidget(fileName_, 1);
    layout->addLayout(row);

    auto* group = new QGroupBox("File format", this);
    group->setObjectName("RadioGroup1");
    auto* groupLayout = new QVBoxLayout(group);
    formats_ = new QButtonGroup(this);
    const auto& rows = SaveFormats();
    for (size_t i = 0; i < rows.size(); ++i) {
        auto* button = new QRadioButton(rows[i].caption, group);
        button->setObjectName(QString("RadioFormat%1").arg(i));
        formats_->addButton(button, static_cast<int>(i));
        groupLayout->addWidget(button);
    }
    if (auto* b = formats_->button(model_.formatIndex)) b->setChecked(true);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);

    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
    connect(fileName_, &QLineEdit::textChanged, this, [this](const QString& t) { model_.fileName = t.toStdString(); });
    connect(formats_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.chooseFormat(id);
        fileName_->setText(QString::fromStdString(model_.fileName));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(480, sizeHint().height());
}

void SaveDialog::browse() {
    QString proposal = QString::fromStdString(model_.browseProposal());
    QString dir = QString::fromStdString(model_.browseDirectory(QDir::currentPath().toStdString()));
    // The save asks about an existing file once the format's extension is on the name.
    QString f = QFileDialog::getSaveFileName(this, "Save points as", QDir(dir).filePath(proposal), "Any file (*.*)",
                                             nullptr, QFileDialog::DontConfirmOverwrite);
    if (!f.isEmpty()) fileName_->setText(f);
}

void SaveDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The name field takes the width that is left, less a margin of 20.
    fileName_->setFixedWidth(std::max(100, width() - fileName_->x() - 20));
}

bool SaveDialog::run(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<SaveDialogModel*>(&model);
    if (!m) return false;
    SaveDialog dialog(*m, parent);
    if (setup) setup(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace formats::ui
