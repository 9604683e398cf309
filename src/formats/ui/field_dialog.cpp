#include "formats/ui/field_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace formats::ui {

namespace {

void fill(QListWidget* list, const std::vector<std::string>& entries, int select) {
    list->clear();
    for (const auto& e : entries) list->addItem(QString::fromStdString(e));
    // The selection stays where the moved entry was, while there is one there.
    if (select >= 0 && select < list->count()) list->setCurrentRow(select);
}

}  // namespace

bool runFieldDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<FieldSelectionModel*>(&model);
    if (!m) return false;
    QDialog dialog(parent);
    dialog.setObjectName("TfmSelectField");
    dialog.setWindowTitle("Select field");
    auto* outer = new QVBoxLayout(&dialog);
    auto* group = new QGroupBox("Select field", &dialog);
    group->setObjectName("GroupBox1");
    outer->addWidget(group);
    auto* grid = new QGridLayout(group);
    auto* available = new QListWidget(&dialog);
    available->setObjectName("ListBox1");
    auto* chosen = new QListWidget(&dialog);
    chosen->setObjectName("ListBox2");
    auto* add = new QPushButton(">", &dialog);
    auto* remove = new QPushButton("<", &dialog);
    auto* saveDefault = new QPushButton("Save as default", &dialog);
    saveDefault->setObjectName("SaveAsDefault");
    auto* fieldsCaption = new QLabel("Fields", &dialog);
    fieldsCaption->setObjectName("Label1");
    auto* namesCaption = new QLabel("Field names", &dialog);
    namesCaption->setObjectName("Label2");
    grid->addWidget(fieldsCaption, 0, 0);
    grid->addWidget(namesCaption, 0, 2);
    grid->addWidget(available, 1, 0, 3, 1);
    grid->addWidget(add, 1, 1);
    grid->addWidget(remove, 2, 1);
    grid->addWidget(chosen, 1, 2, 3, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->addButton(saveDefault, QDialogButtonBox::ActionRole);
    outer->addWidget(buttons);
    fill(available, m->available, 0);
    fill(chosen, m->chosen, 0);

    auto choose = [=] {
        int row = available->currentRow();
        if (row < 0 || !m->choose(static_cast<size_t>(row))) return;
        fill(available, m->available, row);
        fill(chosen, m->chosen, chosen->currentRow());
    };
    auto unchoose = [=] {
        int row = chosen->currentRow();
        if (row < 0 || !m->unchoose(static_cast<size_t>(row))) return;
        fill(chosen, m->chosen, row);
        fill(available, m->available, available->currentRow());
    };
    QObject::connect(add, &QPushButton::clicked, &dialog, choose);
    QObject::connect(available, &QListWidget::itemDoubleClicked, &dialog, choose);
    QObject::connect(remove, &QPushButton::clicked, &dialog, unchoose);
    QObject::connect(chosen, &QListWidget::itemDoubleClicked, &dialog, unchoose);
    QObject::connect(saveDefault, &QPushButton::clicked, &dialog, [m] {
        if (m->saveAsDefault) m->saveAsDefault(m->chosen);
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (setup) setup(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace formats::ui
