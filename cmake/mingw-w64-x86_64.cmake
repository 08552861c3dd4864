# Cross-building the Windows program on Debian with mingw-w64 (package g++-mingw-w64-x86-64):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTRELIX_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model where Debian has it (std::thread and friends in GoogleTest), else the default.
foreach(flavour posix win32 "")
    set(suffix "")
    if(flavour)
        set(suffix "-${flavour}")
    endif()
    find_program(VANTRELIX_MINGW_CXX ${VANTRELIX_MINGW_TRIPLET}-g++${suffix})
    if(VANTRELIX_MINGW_CXX)
        find_program(VANTRELIX_MINGW_CC ${VANTRELIX_MINGW_TRIPLET}-gcc${suffix})
        break()
    endif()
endforeach()
set(CMAKE_C_COMPILER ${VANTRELIX_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VANTRELIX_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VANTRELIX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTRELIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file that runs on a clean Windows: the compiler's runtime linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Under Wine the tests run the .exe directly.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
