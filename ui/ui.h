// ui: the notice and the disk prompt, the dialogs the start-up sequence opens. The launch-error
// dialog is launch/'s; what every dialog shares is dialog/'s.
#pragma once

#include <windows.h>

// The disk prompt's two timers and the message with which it stops calling for attention.
constexpr UINT_PTR TIMER_ANIMATE = 100;
constexpr UINT_PTR TIMER_REMIND = 101;
constexpr UINT kAnimatePeriod = 100;
constexpr UINT kRemindPeriod = 10000;
constexpr UINT WM_STOP_ATTENTION = WM_USER + 100;

// The notice (template IDD_NOTICE); ends with the last command's wParam.
INT_PTR CALLBACK NoticeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The disk prompt (template IDD_DISKPROMPT); lParam's record holds the install path. Ends with 1.
INT_PTR CALLBACK DiskPromptDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
