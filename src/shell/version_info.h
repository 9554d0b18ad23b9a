// The add-in's version as front ends print it: major, then minor in two digits and the
// revision in four ("1.00.0006"), the form of the library's file version.
#ifndef TARQUEL_SHELL_VERSION_INFO_H_
#define TARQUEL_SHELL_VERSION_INFO_H_

#include <string>

namespace tarquel::shell {

std::string FileVersionString();

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_VERSION_INFO_H_
