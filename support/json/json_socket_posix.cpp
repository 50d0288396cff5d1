// Socket output of the writer on POSIX systems (the native build).
#include <sys/socket.h>

#include "support/json/json.h"

int32_t JsonSocketSend(uintptr_t socket, const char* data, int32_t size)
{
    return static_cast<int32_t>(::send(static_cast<int>(socket), data, static_cast<size_t>(size), 0));
}
