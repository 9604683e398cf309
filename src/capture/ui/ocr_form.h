#pragma once
// TOcrForm: the Route 66 capture window ("OcrForm"). Shows the live capture
// beside the pointer, the reduced image and the lines of the last reading,
// the co-ordinates read and the result list; every key typed goes to the
// capture's key rules. The rules and state live in capture::Route66Capture.

#include <QDialog>

#include <functional>

#include "capture/route66_capture.h"

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace capture::ui {

class TCaptureHint;

class TOcrForm : public QDialog {
public:
    explicit TOcrForm(Route66Capture& capture, QWidget* parent = nullptr);
    ~TOcrForm() override;

    TCaptureHint& hint() { return *hint_; }

    // The dialog runner for host prompts: the model must be a Route66Capture.
    // `prepare` sees the window before it shows (the program puts the
    // chosen language on it).
    static bool run(host::DialogModel& model, QWidget* parent,
                    const std::function<void(QWidget*)>& prepare);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyVersion();
    void showPreview();
    void showReading();
    void saveToFile();
    bool captureKey(QKeyEvent* event);

    Route66Capture& capture_;
    TCaptureHint* hint_;
    QRadioButton *radio2002_, *radio2004_;
    QLabel *image1_, *image2_;
    QScrollBar *hBar_, *vBar_;
    QLineEdit* lines_[kMaxOcrLines];
    QLineEdit *latitude_, *longitude_;
    QCheckBox* debug_;
    QPushButton *saveToFile_, *ok_;
    QPlainTextEdit* memo_;
    std::vector<core::ScopedConnection> connections_;
};

}  // namespace capture::ui
