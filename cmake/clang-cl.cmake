# An MSVC-style compiler for 64-bit Windows. Only to configure: there is no
# Windows SDK here to compile or link against.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_CXX_COMPILER clang-cl-14)
# Its check would link a program, which needs the SDK.
set(CMAKE_CXX_COMPILER_WORKS ON)
