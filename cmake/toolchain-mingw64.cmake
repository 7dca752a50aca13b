# Cross-build for 64-bit Windows with mingw-w64, with the run-time libraries
# linked statically so that the executables run on Windows or under Wine
# without any mingw DLL beside them (the Win32 back end's tests, which use no Qt).
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw64-shared.cmake)

# -static takes libgcc, libstdc++ and winpthread from their static archives;
# the system DLLs (kernel32, user32, advapi32) stay dynamic as always.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
