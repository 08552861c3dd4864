#pragma once
// Results of platform calls. The values are the Windows error codes, so that a Win32 backend passes them
// through unchanged and the logic can rely on exactly what Windows would answer.
#include <cstdint>

namespace vx {

enum Status : uint32_t {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_WRITE_PROTECT = 19,
    ERROR_NOT_READY = 21,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_INVALID_NAME = 123,
    ERROR_BAD_PATHNAME = 161,
    ERROR_MORE_DATA = 234,
    ERROR_NO_MORE_ITEMS = 259,
    ERROR_CANTWRITE = 1013,
    ERROR_BADDB = 1009,
    ERROR_BADKEY = 1010,
    ERROR_KEY_DELETED = 1018,
};

} // namespace vx
