// Helpers for tests that run under Wine: message pumping, waiting, artefact paths.
#pragma once

#include <functional>
#include <string>

#include "vcl/sysutils.h"

namespace testing_support {

// Pumps the main thread's messages (and synchronised calls) for ms milliseconds.
void PumpFor(unsigned ms);
// Pumps until pred() is true or timeoutMs passed; answers pred()'s last value.
bool PumpUntil(const std::function<bool()>& pred, unsigned timeoutMs = 5000);
// Folder for screenshots and other files a test leaves to look at (created on demand).
String ArtifactsDir();
// A fresh empty folder for one test's files, under the system's temporary folder.
String MakeTempDir(const String& name);

}  // namespace testing_support
