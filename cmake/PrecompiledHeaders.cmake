# Precompiled headers. Parsing <windows.h> and the standard headers is most of the compile time
# of a Win32 file (about a second and a half with these flags), and <gtest/gtest.h> of a unit
# test. Each group of targets built with the same flags shares one precompiled header: it is made
# once, by the first target of the group, and the others reuse it (a header made with other flags
# would be silently ignored; -Winvalid-pch turns that into an error).
#
# The portable libraries keep none in the native build, so that a missing #include shows there.

# What the Win32 files include, the program's and the test programs'.
set(KELVORIN_PCH_WIN32
    <windows.h>
    <commctrl.h>
    <algorithm>
    <array>
    <atomic>
    <chrono>
    <cstddef>
    <cstdint>
    <cstdio>
    <cstdlib>
    <cstring>
    <functional>
    <map>
    <memory>
    <optional>
    <string>
    <string_view>
    <utility>
    <vector>)

# What the unit tests include.
set(KELVORIN_PCH_UNIT
    <gtest/gtest.h>
    <climits>
    <cstring>
    <map>
    <ostream>
    <random>
    <set>
    <string>
    <utility>
    <vector>)

# kelvorin_precompile(HEADERS TARGET...): the first target makes the group's header from HEADERS
# (a list variable's name), the others reuse it.
function(kelvorin_precompile headers first)
    target_precompile_headers(${first} PRIVATE ${${headers}})
    target_compile_options(${first} PRIVATE -Winvalid-pch)
    foreach(target ${ARGN})
        target_precompile_headers(${target} REUSE_FROM ${first})
        target_compile_options(${target} PRIVATE -Winvalid-pch)
    endforeach()
endfunction()
