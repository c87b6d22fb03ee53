// The finishing step that ends Corven's life on the start-up line.
#include "base/base.h"
#include "loadline/loadline.h"

namespace {
constexpr char kCompanionProgram[] = "TELVANOR.EXE";
}

// Taking Corven off and listing the companion are one edit of the line, so that no failure between
// them loses the companion for good (Corven would never run again to list it).
void FinishInstallation()
{
    FinishLoadLine(NeedsCompanionProgram() && !IsVideoCaptureDevice() ? kCompanionProgram : nullptr);
}
