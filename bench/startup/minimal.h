// The yardstick dialog's identifier.
#pragma once
#define IDD_MINIMAL 100
