// A sheet that cannot be printed as asked. The message is for the user, in Japanese, and says
// what is wrong and where.
#ifndef TARQUEL_PRINT_PRINT_ERROR_H_
#define TARQUEL_PRINT_PRINT_ERROR_H_

#include <stdexcept>
#include <string>

namespace tarquel::print {

class PrintError : public std::runtime_error {
 public:
  explicit PrintError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_PRINT_ERROR_H_
