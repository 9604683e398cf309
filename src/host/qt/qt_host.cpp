#include "host/qt/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QTimeZone>
#include <cstdio>
#include <ctime>

namespace host {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Message-table texts break lines with a carriage return.
QString messageText(const std::string& s) { return q(s).replace(QChar('\r'), QChar('\n')); }

QMessageBox::Icon icon(Severity s) {
    switch (s) {
        case Severity::Warning: return QMessageBox::Warning;
        case Severity::Error: return QMessageBox::Critical;
        default: return QMessageBox::Information;
    }
}

QString filterString(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns;
        for (const auto& p : f.patterns) patterns << q(p);
        parts << q(f.description) + " (" + patterns.join(' ') + ")";
    }
    return parts.join(";;");
}

void printToStderr(const std::string& text) {
    std::string t = text;
    for (char& c : t)
        if (c == '\r') c = '\n';
    std::fprintf(stderr, "%s\n", t.c_str());
}

}  // namespace

Answer QtPrompts::askYesNo(const std::string& text, Severity severity) {
    if (!gui_) {
        printToStderr(text + " [No]");
        return Answer::No;
    }
    QMessageBox box(icon(severity), q("Pathkeep"), messageText(text), QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtPrompts::askYesNoCancel(const std::string& text, Severity severity) {
    if (!gui_) {
        printToStderr(text + " [Cancel]");
        return Answer::Cancel;
    }
    QMessageBox box(icon(severity), q("Pathkeep"), messageText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    int r = box.exec();
    return r == QMessageBox::Yes ? Answer::Yes : r == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void QtPrompts::show(const std::string& text, Severity severity) {
    if (!gui_) {
        printToStderr(text);
        return;
    }
    QMessageBox box(icon(severity), q("Pathkeep"), messageText(text), QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<std::string> QtPrompts::openFile(const std::string& title, const std::string& directory,
                                               const std::vector<FileFilter>& filters) {
    if (!gui_) return std::nullopt;
    // The last entry ("All files") is preselected.
    QString selected = filters.empty() ? QString() : filterString({filters.back()});
    QString f = QFileDialog::getOpenFileName(parent_, q(title), q(directory), filterString(filters), &selected);
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtPrompts::saveFile(const std::string& title, const std::string& suggestedPath,
                                               const std::vector<FileFilter>& filters) {
    if (!gui_) return std::nullopt;
    QString f = QFileDialog::getSaveFileName(parent_, q(title), q(suggestedPath), filterString(filters));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtPrompts::inputText(const std::string& title, const std::string& prompt,
                                                const std::string& initial) {
    if (!gui_) return std::nullopt;
    bool ok = false;
    QString t = QInputDialog::getText(parent_, q(title), q(prompt), QLineEdit::Normal, q(initial), &ok);
    if (!ok) return std::nullopt;
    return t.toStdString();
}

bool QtPrompts::show(DialogModel& dialog) {
    for (auto& [name, runner] : dialogs_)
        if (name == dialog.dialogName()) return gui_ && runner(dialog, parent_, setup_);
    return false;
}

void QtPrompts::registerDialog(const std::string& name, DialogRunner runner) {
    dialogs_.emplace_back(name, std::move(runner));
}

QtTimer::QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (handler_) handler_();
    });
}

std::unique_ptr<Timer> QtTimers::createTimer(const std::string&) { return std::make_unique<QtTimer>(); }

void QtEventPump::processEvents() { QCoreApplication::processEvents(); }

void QtEventPump::yieldToUser() {
    // A million points yield ten thousand times, and each turn of the event
    // loop repaints the status line: fifty turns a second keep Escape and
    // the progress bar prompt at a fraction of that cost.
    constexpr qint64 kYieldIntervalMs = 20;
    if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) return;
    QCoreApplication::processEvents();
    sinceYield_.start();
}

void QtEventPump::setBusy(bool busy) {
    if (!gui_) return;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

double QtClock::nowSerial() const {
    QDateTime now = QDateTime::currentDateTime();
    qint64 days = QDate(1899, 12, 30).daysTo(now.date());
    return static_cast<double>(days) + now.time().msecsSinceStartOfDay() / 86400000.0;
}

int QtClock::utcOffsetMinutes() const {
    // The coarse clock is read without the time-stamp counter: a few
    // nanoseconds for each of millions of calls, and a second is fine enough.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    if (!known_ || now.tv_sec - checkedSecond_ > 60) {
        offset_ = QDateTime::currentDateTime().offsetFromUtc() / 60;
        checkedSecond_ = now.tv_sec;
        known_ = true;
    }
    return offset_;
}

QtLocale::QtLocale() : locale_(QLocale::system()) {
    QString point = locale_.decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 128) separator_ = static_cast<char>(point[0].unicode());
}

std::string QtLocale::formatShortDate(int year, int month, int day) const {
    if (year != lastDay_[0] || month != lastDay_[1] || day != lastDay_[2] || lastText_.empty()) {
        lastText_ = locale_.toString(QDate(year, month, day), QLocale::ShortFormat).toStdString();
        lastDay_[0] = year;
        lastDay_[1] = month;
        lastDay_[2] = day;
    }
    return lastText_;
}

std::string QtClipboard::text() const {
    if (!gui_) return memory_;
    return QGuiApplication::clipboard()->text().toStdString();
}

void QtClipboard::setText(const std::string& text) {
    if (!gui_) {
        memory_ = text;
        return;
    }
    QGuiApplication::clipboard()->setText(q(text));
}

bool QtShell::openDocument(const std::string& path) {
    if (!gui_) {
        std::fprintf(stderr, "%s\n", path.c_str());
        return false;
    }
    // Web addresses open in the browser; everything else is a local file.
    bool address = path.find("://") != std::string::npos;
    return QDesktopServices::openUrl(address ? QUrl(q(path)) : QUrl::fromLocalFile(q(path)));
}

}  // namespace host
