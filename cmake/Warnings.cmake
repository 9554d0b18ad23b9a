# Warnings are errors for everything the project compiles.
add_compile_options(-Wall -Wextra -Werror -Wpedantic -Wshadow -Wnon-virtual-dtor)

# GCC 12 reports "literal" + std::string as an overlapping memcpy at -O2 and above
# (-Wrestrict, a known false positive of that release); keep it as a warning there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-error=restrict -Wno-restrict)
endif()
