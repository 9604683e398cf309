#pragma once
// TLocatorForm: the AutoRoute capture window, a small stay-on-top tool
// window. Shows the capture's state and forwards clicks and keys to it.

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "capture/autoroute_capture.h"
#include "core/signal.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace capture::ui {

class TCaptureHint;

class TLocatorForm : public QDialog {
public:
    static constexpr int kWidth = 176;

    // The window brings itself to the foreground unless env says otherwise.
    explicit TLocatorForm(AutoRouteEnv env, QWidget* parent = nullptr);
    ~TLocatorForm() override;

    AutoRouteCapture& capture() { return *capture_; }
    // The capture hint, shown and hidden with this window: its own, or one
    // the caller prepared (text and place) and keeps.
    TCaptureHint& hint() { return *hint_; }
    void setCaptureHint(TCaptureHint* hint) { hint_ = hint ? hint : ownHint_.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync();
    void placeAtBottomLeft();
    void foreground();

    Desktop& desktop_;
    std::unique_ptr<AutoRouteCapture> capture_;
    std::unique_ptr<TCaptureHint> ownHint_;
    TCaptureHint* hint_;
    std::string hintText_;
    QLabel *latitude_, *longitude_, *position_, *distance_;
    QCheckBox *sendRmc_, *pushpins_;
    QPlainTextEdit* lines_;
    std::vector<core::ScopedConnection> connections_;
};

}  // namespace capture::ui
