// Small helpers of the JSON tests: UTF-8 views of JSON texts, so that failures print readably.
#pragma once

#include <string>

#include "support/json/json.h"

inline std::string U8(const JsonString& s) { return Utf8OfJson(s); }
inline std::string U8(const IJsonObject& v) { return v ? Utf8OfJson(v->AsJSon(false, true)) : std::string("<nothing>"); }
inline JsonString J(const std::string& utf8) { return JsonOfUtf8(utf8); }
