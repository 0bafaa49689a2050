# 32-bit x86 (Debian i386), with Debian's g++-i686-linux-gnu.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triplet i686-linux-gnu)
set(qemu i386)
include(${CMAKE_CURRENT_LIST_DIR}/debiancross.cmake)
