// dialog: what every dialog of Corven shares: its place on the screen and its icon. Below the
// dialogs of ui/ and launch/ (which owns the launch-error dialog, as it owns the launch), so
// neither reaches the other's folder for it.
//
// What every dialog procedure of Corven does, the notice, the disk prompt and the launch-error
// dialog alike:
// - WM_INITDIALOG keeps the instance handle from the DialogInitRecord, resets the dialog's result
//   state (what it ends with when nothing is chosen in this showing: the notice's command 0, the
//   launch-error dialog's choice 0), beeps its own kind and calls CenterDialogTopmost. The notice
//   and the disk prompt return TRUE: the dialog manager gives the focus to the first tab stop, OK.
//   The launch-error dialog returns FALSE and sets no focus: the manager then gives it the focus
//   when it activates the dialog, on its first tab stop, Retry, the default button. The user sees
//   no difference; the answer must be FALSE only in a dialog that sets the focus itself, which
//   none of Corven's does.
// - WM_PAINT paints the dialog's icon and returns FALSE, so the default painting still runs.
// - WM_COMMAND compares the whole wParam (id and notification code) with its buttons; a button
//   that ends the dialog stores its result and sends WM_CLOSE.
// - WM_CLOSE is the one way out: EndDialog with the stored result. Escape arrives as IDCANCEL, a
//   button like the others; the close box and Alt+F4 arrive as WM_CLOSE with nothing chosen. So
//   the notice ends with the command last stored (0 when none: the run goes on as after OK); the
//   disk prompt with 1, having finished the work only where OK's start or Cancel did (Alt+F4
//   leaves Corven on the start-up line); the launch-error dialog with the choice made in this
//   showing (0 when none: back to the prompt, never a choice of an earlier showing).
// - Every other message returns FALSE.
#pragma once

#include <windows.h>

#include "base/base.h"

// Opens one of Corven's dialogs, modal: a Unicode window where Windows has the W functions (so
// that what the user types or browses to keeps every character the code page lacks), else an
// ANSI one. Returns what EndDialog was given, or -1 when the dialog cannot be made.
INT_PTR OpenModalDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, void* record);

// Puts the dialog in the middle of the desktop, topmost, and shows it once, restored and active,
// however the program was started.
void CenterDialogTopmost(HWND dialog);

// Sets a dialog's icon place: left 10, top 45, the system's icon size.
void SetDialogIconRect(RECT* iconRect);

// Draws icon `iconId` at the rectangle's left and top. 1 when drawn, 0 when there is no such icon.
int PaintDialogIcon(HINSTANCE instance, HWND dialog, const RECT* iconRect, WORD iconId);
