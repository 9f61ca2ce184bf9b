#pragma once

// The file layer of the system the program is built for.

#ifdef _WIN32
#include "platform/win32_file_system.h"
namespace sv {
using NativeFileSystem = Win32FileSystem;
}
#else
#include "platform/posix_file_system.h"
namespace sv {
using NativeFileSystem = PosixFileSystem;
}
#endif
