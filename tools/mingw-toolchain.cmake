# Cross-compiling for 64-bit Windows with MinGW-w64. The POSIX thread model is needed: the Win32 one has
# no std::mutex or std::thread. Libraries are looked up only in the prefix tools/build-windows-deps.sh
# fills (NC_WINDOWS_PREFIX), never among the build machine's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(NC_WINDOWS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${NC_WINDOWS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${NC_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Everything is linked statically, the C++ and thread run-times too, so the executables run alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(Boost_USE_STATIC_LIBS ON)
set(Boost_NO_BOOST_CMAKE ON)
set(CMAKE_CXX_FLAGS_INIT "-DBOOST_THREAD_USE_LIB -DCURL_STATICLIB")
set(CMAKE_C_FLAGS_INIT "-DCURL_STATICLIB")
