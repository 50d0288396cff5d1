// Socket output of the writer on Windows: Winsock's send.
#include <winsock2.h>

#include "support/json/json.h"
#include "vcl/win.h"

int32_t JsonSocketSend(uintptr_t socket, const char* data, int32_t size)
{
    return static_cast<int32_t>(::send(static_cast<SOCKET>(socket), data, size, 0));
}
