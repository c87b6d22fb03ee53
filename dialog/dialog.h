// dialog: what every dialog of Corven shares: its place on the screen and its icon. Below the
// dialogs of ui/ and launch/ (which owns the launch-error dialog, as it owns the launch), so
// neither reaches the other's folder for it.
#pragma once

#include <windows.h>

// Puts the dialog in the middle of the desktop, topmost, and shows it restored and active, however
// the program was started.
void CenterDialogTopmost(HWND dialog);

// Sets a dialog's icon place: left 10, top 45, the system's icon size.
void SetDialogIconRect(RECT* iconRect);

// Draws icon `iconId` at the rectangle's left and top. 1 when drawn, 0 when there is no such icon.
int PaintDialogIcon(HINSTANCE instance, HWND dialog, const RECT* iconRect, WORD iconId);
