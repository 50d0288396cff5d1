// The machine's registry as the source of the time-zone rules.
#include "support/datetime/json_date.h"
#include "vcl/registry.h"

namespace {

class TWinZoneRegistry : public TZoneRegistry {
public:
    TWinZoneRegistry() : FReg(KEY_READ) {}

    bool OpenKey(TRoot root, const String& path) override
    {
        FReg.CloseKey();
        FReg.SetRootKey(root == rkLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
        return FReg.OpenKeyReadOnly(path);
    }
    bool ValueExists(const String& name) override { return FReg.CurrentKey() && FReg.ValueExists(name); }
    bool ReadString(const String& name, String& value) override
    {
        TRegDataType t = FReg.GetDataType(name);
        if (t != TRegDataType::rdString && t != TRegDataType::rdExpandString) return false;
        value = FReg.ReadString(name);
        return true;
    }
    bool ReadInteger(const String& name, int32_t& value) override
    {
        if (FReg.GetDataType(name) != TRegDataType::rdInteger) return false;
        value = FReg.ReadInteger(name);
        return true;
    }
    int ReadBinary(const String& name, void* buffer, int size) override
    {
        if (!ValueExists(name) || FReg.GetDataSize(name) != size) return -1;
        try {
            return FReg.ReadBinaryData(name, buffer, size);
        } catch (const Exception&) {
            return -1;
        }
    }

private:
    TRegistry FReg;
};

}  // namespace

TZoneRegistry& PlatformZoneRegistry()
{
    // One per thread: a TRegistry keeps an open key, and the routines may run on any thread.
    thread_local TWinZoneRegistry registry;
    return registry;
}
