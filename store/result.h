#pragma once
// The one way the store (and the layers above it) says that something could
// not be done: a Result<T> holds the value, or a Failure that carries the
// sentence the user reads (Japanese), the kind callers branch on, and the
// library's or system's own words behind it for the details and the log.
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace km {

// What kind of failure it was; callers branch on it, never on the sentence.
enum class Fault {
  None,         // no failure: the kind of a Result that holds its value
  Missing,      // no file of that name (or nothing where something was expected)
  Unreadable,   // it cannot be read: no permission, an error of the system, another writer holds it
  NotRegular,   // a folder, a pipe, a device, a link that loops or leads nowhere
  ForeignLink,  // a symbolic link that another user made, which is not followed
  TooLarge,     // over the bound of what is read
  NotWritable,  // a file or folder that may not or cannot be written
  Beside,       // a file beside the database that is none of ours, or a write that cannot be undone
  NoCipher,     // the program's own encryption library is missing
  Busy,         // another writer holds the write lock
  Moved,        // another writer replaced the file while this one waited
  NotOurs,      // a file that is no database of this program
  Damaged,      // a file of ours that is damaged, or a line of a file that breaks its rule
  Invalid,      // text or values that break their rule
  Refused,      // the sources disagree with the history, or cannot be used
  WriteFailed,  // the disk or the library failed while writing; nothing was changed
  Cancelled,    // the user stopped it
};

struct Failure {
  Failure() = default;
  Failure(Fault k, std::string m, std::string c = {}) : kind(k), message(std::move(m)), cause(std::move(c)) {}

  Fault kind = Fault::None;
  std::string message;  // what the user reads, in Japanese
  std::string cause;    // the library's or system's words, empty when there are none

  // The message with its cause on a line of its own (when there is one).
  std::string withCause() const { return cause.empty() ? message : message + "\n" + cause; }
};

// A value, or why there is none.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Failure f) : v_(std::in_place_index<1>, std::move(f)) {}    // NOLINT(google-explicit-constructor)

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; only when ok() (else std::bad_variant_access).
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The failure; only when !ok().
  const Failure& failure() const { return std::get<1>(v_); }
  // Fault::None, and empty texts, when it holds its value.
  Fault kind() const { return ok() ? Fault::None : failure().kind; }
  const std::string& message() const { return ok() ? empty() : failure().message; }
  const std::string& cause() const { return ok() ? empty() : failure().cause; }
  // Failure::withCause, empty when it holds its value.
  std::string withCause() const { return ok() ? std::string() : failure().withCause(); }

 private:
  static const std::string& empty() {
    static const std::string none;
    return none;
  }
  std::variant<T, Failure> v_;
};

// Done, or why not.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure f) : f_(std::move(f)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return !f_; }
  explicit operator bool() const { return ok(); }
  const Failure& failure() const { return *f_; }
  Fault kind() const { return f_ ? f_->kind : Fault::None; }
  const std::string& message() const { return f_ ? f_->message : empty(); }
  const std::string& cause() const { return f_ ? f_->cause : empty(); }
  std::string withCause() const { return f_ ? f_->withCause() : std::string(); }

 private:
  static const std::string& empty() {
    static const std::string none;
    return none;
  }
  std::optional<Failure> f_;
};

using Done = Result<void>;

}  // namespace km
