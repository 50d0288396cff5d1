// What the painters and controls ask of the form skinning, behind one replaceable object. Until
// the form skinning exists the default answers as a system without those services would; tests
// and the form skinning install their own. No windows.h here.
#pragma once

class TacFormServices {
public:
    virtual ~TacFormServices() = default;
    // Desktop composition is on (layered images are then shown premultiplied without limits).
    virtual bool IsDesktopCompositionOn() { return false; }
};

// The services in force: the installed object, else the do-nothing default.
TacFormServices& FormServices();
// Installs services (nullptr: back to the default); the caller keeps ownership.
void SetFormServices(TacFormServices* services);

inline bool IsDesktopCompositionOn() { return FormServices().IsDesktopCompositionOn(); }
