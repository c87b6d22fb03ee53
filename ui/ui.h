// ui: what the dialogs share (placement, icon painting) and the notice and disk prompt dialogs.
#pragma once

#include <windows.h>

// The disk prompt's two timers and the message with which it stops calling for attention.
constexpr UINT_PTR TIMER_ANIMATE = 100;
constexpr UINT_PTR TIMER_REMIND = 101;
constexpr UINT kAnimatePeriod = 100;
constexpr UINT kRemindPeriod = 10000;
constexpr UINT WM_STOP_ATTENTION = WM_USER + 100;

// Puts the dialog in the middle of the desktop, topmost, and shows it.
void CenterDialogTopmost(HWND dialog);

// Sets a dialog's icon place: left 10, top 45, the system's icon size.
void SetDialogIconRect(RECT* iconRect);

// Draws icon `iconId` at the rectangle's left and top. 1 when drawn, 0 when there is no such icon.
int PaintDialogIcon(HINSTANCE instance, HWND dialog, const RECT* iconRect, WORD iconId);

// The notice (template IDD_NOTICE); ends with the last command's wParam.
INT_PTR CALLBACK NoticeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The disk prompt (template IDD_DISKPROMPT); lParam's record holds the install path. Ends with 1.
INT_PTR CALLBACK DiskPromptDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
