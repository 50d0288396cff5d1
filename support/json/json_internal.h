// Helpers shared by the library's source files; not part of its interface.
#pragma once

#include "support/json/json.h"

namespace json_detail {

// Whole text as a signed 64-bit decimal integer (optional sign); false when it is not one or
// does not fit.
bool TextToInt64(JsonStringView s, int64_t& value);
// Whole text as a decimal number with "." and an optional exponent; false when it is not one.
// Out of range is false too, unless allowRange: then it gives an infinity or zero.
bool TextToDouble(JsonStringView s, double& value, bool allowRange = false);
// Round to nearest, ties to even; NaN gives 0, values beyond the range give the nearest limit.
int64_t RoundToInt64(double v);
int64_t SaturatingMul(int64_t a, int64_t b);

// Sets the re-entry flag of a value for one scope.
class TProcessingGuard {
public:
    explicit TProcessingGuard(TJsonObject* o) : FObj(o) { o->SetProcessing(true); }
    ~TProcessingGuard() { FObj->SetProcessing(false); }
    TProcessingGuard(const TProcessingGuard&) = delete;
    TProcessingGuard& operator=(const TProcessingGuard&) = delete;

private:
    TJsonObject* FObj;
};

}  // namespace json_detail
