# Warnings are errors for everything the project compiles.
add_compile_options(-Wall -Wextra -Werror -Wpedantic -Wshadow -Wnon-virtual-dtor)

# GCC 12 reports "literal" + std::string as an overlapping memcpy (-Wrestrict) and the members
# of a std::variant moved into a vector as maybe uninitialised, at -O2 and above: known false
# positives of that release. They stay warnings there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-error=restrict -Wno-restrict -Wno-error=maybe-uninitialized)
endif()
