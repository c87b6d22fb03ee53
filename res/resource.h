// Identifiers of Corven's resources: dialog templates, controls, strings, icons and bitmaps.
#pragma once

#define IDD_DISKPROMPT 105
#define IDD_LAUNCHERROR 106
#define IDD_NOTICE 117
#define IDD_INFORMATION 118

#define IDI_PROGRAM 102
#define IDI_PROGRAM_COPY 103
#define IDI_ATTENTION 104
#define IDI_ANIM1 111
#define IDI_ANIM2 112
#define IDI_ANIM3 113
#define IDI_ANIM4 114
#define IDI_PROGRAM_LARGE 115

#define IDB_BULLET1 107
#define IDB_BULLET2 108
#define IDB_BULLET3 109

#define IDC_BROWSE 3
#define IDC_CAPTION 1001
#define IDC_DISKLABEL 1002
#define IDC_DRIVE 1006
#define IDC_PROGRAM 1007
#define IDC_DEVICENAME 1010
#define IDC_DONTSHOW 1011
#define IDC_MESSAGE 1012

#define IDS_PRODUCT 1
#define IDS_PRODUCT_ISDN 2
#define IDS_PRODUCT_V34 3
#define IDS_INSTALLATION 4
#define IDS_FILES_NEEDED 5
#define IDS_DISK_LABEL 6
#define IDS_CD_LABEL 7
#define IDS_DISK_LABEL_V34 8
#define IDS_RUN_ERROR_TITLE 10
#define IDS_RUN_ERROR 11
#define IDS_INSERT_DISK 12
#define IDS_VIDEO_CD_LABEL 15
#define IDS_CAPTURE_CARD 16
#define IDS_INFORMATION 17

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
