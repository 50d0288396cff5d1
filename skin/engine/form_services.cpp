#include "skin/engine/form_services.h"

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
