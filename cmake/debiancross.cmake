# Cross-compiles for Linux on another machine with Debian's g++-${triplet};
# qemu-${qemu}, the user-mode emulator, runs the result here. The toolchain
# file that includes this one sets both.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# What runs target programs at build and test time, such as test discovery.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${qemu} -L /usr/${triplet})
