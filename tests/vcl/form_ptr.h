// Forms made by a test and freed at the end of it (through Free, so BeforeDestruction runs).
#pragma once

#include <memory>

#include "vcl/forms.h"

struct FormDeleter {
    void operator()(TCustomForm* f) const { TObject::Free(f); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;
