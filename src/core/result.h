#pragma once
// The outcome of every open, save, import, export and transfer. There is no
// default: a path that forgets to decide its outcome does not compile.

#include <string>
#include <utility>

namespace core {

enum class Outcome { Done, Cancelled, NothingToDo, Failed };

class [[nodiscard]] Result {
public:
    static Result done(std::string message = {}) { return Result(Outcome::Done, std::move(message), 0, 0); }
    static Result cancelled(std::string message = {}) {
        return Result(Outcome::Cancelled, std::move(message), 0, 0);
    }
    static Result nothingToDo(std::string message = {}) {
        return Result(Outcome::NothingToDo, std::move(message), 0, 0);
    }
    // line and column are 1-based positions in the input; 0 when unknown.
    static Result failed(std::string message, int line = 0, int column = 0) {
        return Result(Outcome::Failed, std::move(message), line, column);
    }

    Outcome outcome() const { return outcome_; }
    bool isDone() const { return outcome_ == Outcome::Done; }
    bool isCancelled() const { return outcome_ == Outcome::Cancelled; }
    bool isNothingToDo() const { return outcome_ == Outcome::NothingToDo; }
    bool isFailed() const { return outcome_ == Outcome::Failed; }
    const std::string& message() const { return message_; }
    int line() const { return line_; }
    int column() const { return column_; }

    // "line 3, column 7: message", or the message alone without a position.
    std::string describe() const {
        if (line_ <= 0) return message_;
        std::string where = "line " + std::to_string(line_);
        if (column_ > 0) where += ", column " + std::to_string(column_);
        return message_.empty() ? where : where + ": " + message_;
    }

private:
    Result(Outcome outcome, std::string message, int line, int column)
        : outcome_(outcome), message_(std::move(message)), line_(line), column_(column) {}

    Outcome outcome_;
    std::string message_;
    int line_;
    int column_;
};

const char* OutcomeName(Outcome outcome);

}  // namespace core
