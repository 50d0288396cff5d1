#include "skin/engine/form_services.h"

#include "skin/engine/wrapper_services.h"

namespace {

TacFormServices DefaultServices;
TacFormServices* Installed = nullptr;

}  // namespace

TacFormServices& FormServices()
{
    return Installed ? *Installed : DefaultServices;
}

void SetFormServices(TacFormServices* services)
{
    Installed = services;
}

// ---- window wrappers -------------------------------------------------------------------------------

namespace {

TacWrapperServices DefaultWrapperServices;
TacWrapperServices* InstalledWrappers = nullptr;

}  // namespace

TacWrapperServices& WrapperServices()
{
    return InstalledWrappers ? *InstalledWrappers : DefaultWrapperServices;
}

void SetWrapperServices(TacWrapperServices* services)
{
    InstalledWrappers = services;
}
