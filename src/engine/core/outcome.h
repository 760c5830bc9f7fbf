#pragma once

#include <string>
#include <utility>

namespace tav {

// Why an operation failed, for callers that act on the kind (a batch counts
// "nothing new" as skipped, the command line chooses its exit code).
enum class FailureKind {
    None,
    Unreachable,  // a page or transfer failed
    NoData,       // the source answered without the bars asked for
    NothingNew,   // nothing after the stored bars
    Refused,      // the store is read-only, a check or the user said no
    Storage,      // a file could not be written
};

// What an operation that can fail gives back: success, or the kind of
// failure and the text the user is shown (UTF-8; empty when the operation
// has nothing to add to its caller's own message). Tests as a bool.
class Outcome {
  public:
    Outcome() = default;
    static Outcome success() { return {}; }
    static Outcome failure(FailureKind kind, std::string message = {}) {
        Outcome outcome;
        outcome.kind_ = kind;
        outcome.message_ = std::move(message);
        return outcome;
    }

    bool ok() const { return kind_ == FailureKind::None; }
    explicit operator bool() const { return ok(); }
    FailureKind kind() const { return kind_; }
    const std::string& message() const { return message_; }
    // The message, or `fallback` when the failure brought none.
    const std::string& messageOr(const std::string& fallback) const {
        return message_.empty() ? fallback : message_;
    }

  private:
    FailureKind kind_ = FailureKind::None;
    std::string message_;
};

}  // namespace tav
