// app: the finishing step, which every place that ends Corven's work runs.
#pragma once

// Takes Corven off the start-up line and, where the device needs it, lists the companion program.
void FinishInstallation();
