#pragma once
// TPointEditor: edits one point, or the checked fields of several rows.
// A thin form over core::PointEditModel; the rules live in core/point_edit.

#include <functional>
#include <QDialog>
#include <QPixmap>
#include <array>

#include "core/point_edit.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QLabel;

namespace core::ui {

class PointEditor : public QDialog {
public:
    explicit PointEditor(QWidget* parent = nullptr);

    // bewerkPunt: fills the form from the model; on OK the caller reads it back.
    void load(const PointEditModel& model);
    void store(PointEditModel& model) const;
    // The runner the host's prompts call for a "TPointEditor" model.
    static bool run(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);
    // The 31 slider symbols side by side, each `cell` pixels wide.
    static QPixmap sliderPicture(int cell);

private:
    QLineEdit* field(PointField f) const { return edits_[static_cast<size_t>(f)]; }
    QCheckBox* box(PointField f) const { return boxes_[static_cast<size_t>(f)]; }
    void dateTimeEdited(const QString& text);
    void joinDateTime();
    void symbolChosen(const QString& name);
    void sliderMoved(int position);
    void setSymbolName(const std::string& name);

    std::array<QLineEdit*, static_cast<size_t>(PointField::Count)> edits_{};
    std::array<QCheckBox*, static_cast<size_t>(PointField::Count)> boxes_{};
    QLineEdit* date_ = nullptr;
    QLineEdit* time_ = nullptr;
    QComboBox* symbols_ = nullptr;
    QSlider* slider_ = nullptr;
    const SymbolTable* table_ = nullptr;
    const host::LocaleInfo* locale_ = nullptr;
    bool loading_ = false;
};

}  // namespace core::ui
