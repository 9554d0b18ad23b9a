// The add-in's title and version. The version numbers come from the build; front ends print
// the file-version form ("1.00.0006"), the version command shows "バージョン 1.0.6".
#ifndef TARQUEL_SHELL_VERSION_INFO_H_
#define TARQUEL_SHELL_VERSION_INFO_H_

#include <string>

namespace tarquel::model {
struct Body;
}

namespace tarquel::shell {

inline constexpr char kAddInTitle[] = "ミラヴォ 同音異義";

// "1.00.0006": major, minor in two digits, revision in four.
std::string FileVersionString();

// "バージョン 1.0.6": the numbers in plain decimal.
std::string VersionText(int major, int minor, int revision);

// The version command: one message box with the version text, OK only.
void QVersion(model::Body& body);

}  // namespace tarquel::shell

#endif  // TARQUEL_SHELL_VERSION_INFO_H_
