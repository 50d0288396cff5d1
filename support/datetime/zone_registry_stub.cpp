// Native build: there is no registry, so no zone rules are ever read and times pass unconverted.
#include "support/datetime/json_date.h"

namespace {

class TNoZoneRegistry : public TZoneRegistry {
public:
    bool OpenKey(TRoot, const String&) override { return false; }
    bool ValueExists(const String&) override { return false; }
    bool ReadString(const String&, String&) override { return false; }
    bool ReadInteger(const String&, int32_t&) override { return false; }
    int ReadBinary(const String&, void*, int) override { return -1; }
};

}  // namespace

TZoneRegistry& PlatformZoneRegistry()
{
    static TNoZoneRegistry registry;
    return registry;
}
