# 32-bit ARM with hardware floating point (Debian armhf), with Debian's g++-arm-linux-gnueabihf.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(triplet arm-linux-gnueabihf)
set(qemu arm)
include(${CMAKE_CURRENT_LIST_DIR}/debiancross.cmake)
