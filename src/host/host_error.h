// HostError is the host's run-time error: an operation of the spreadsheet host that cannot be
// done throws it, with the error number and the Japanese description the host shows. Commands
// do not catch it; the macro caller in a front end reports it. An operation that throws has
// changed nothing.
#ifndef TARQUEL_HOST_HOST_ERROR_H_
#define TARQUEL_HOST_HOST_ERROR_H_

#include <stdexcept>
#include <string>

namespace tarquel::host {

class HostError : public std::runtime_error {
 public:
  // Host error numbers, as the host reports them.
  static constexpr int kInvalidCall = 5;            // invalid procedure call or argument
  static constexpr int kOverflow = 6;               // a number out of range
  static constexpr int kSubscriptOutOfRange = 9;    // no such item in a collection
  static constexpr int kTypeMismatch = 13;          // a value of the wrong kind
  static constexpr int kFileNotFound = 53;          // no such file
  static constexpr int kPathFileAccess = 75;        // a file or folder that cannot be used
  static constexpr int kPathNotFound = 76;          // no such folder
  static constexpr int kApplicationDefined = 1004;  // the operation is not possible here

  HostError(int number, std::string description);

  int number() const { return number_; }
  const std::string& description() const { return description_; }

  // The text the host shows for it: "実行時エラー 'N':" followed by a line break and the
  // description.
  std::string Display() const;

 private:
  int number_;
  std::string description_;
};

// Shorthands for the common errors; `detail` says what was refused and where.
[[noreturn]] void ThrowTypeMismatch(const std::string& detail);
[[noreturn]] void ThrowSubscriptOutOfRange(const std::string& detail);
[[noreturn]] void ThrowInvalidCall(const std::string& detail);
[[noreturn]] void ThrowApplicationDefined(const std::string& detail);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_HOST_ERROR_H_
