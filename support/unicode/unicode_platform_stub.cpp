// Native build: no locale functions, so no tables.
#include "support/unicode/unicode_data.h"

const TUnicodeData* UnicodeData() { return nullptr; }
