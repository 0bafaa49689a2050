# 64-bit ARM (Debian arm64), with Debian's g++-aarch64-linux-gnu.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triplet aarch64-linux-gnu)
set(qemu aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debiancross.cmake)
