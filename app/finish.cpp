// The finishing step that ends Corven's life on the start-up line.
#include "app/device.h"
#include "app/finish.h"
#include "loadline/loadline.h"

namespace {
constexpr char kCompanionProgram[] = "TELVANOR.EXE";
}

void FinishInstallation()
{
    RemoveSelfFromLoadLine();
    if (NeedsCompanionProgram() && !IsVideoCaptureDevice()) {
        AddToLoadLine(kCompanionProgram);
    }
}
