// Forms made by a test and freed at the end of it (through Free, so BeforeDestruction runs).
#pragma once

#include <memory>

#include "vcl/forms.h"

struct FormDeleter {
    void operator()(TCustomForm* f) const { TObject::Free(f); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

// A form at (x, y) of w x h without a border, so its client area is the whole window.
inline FormPtr BorderlessForm(int x, int y, int w, int h)
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(x, y, w, h);
    f->SetBorderStyle(bsNone);
    return f;
}
