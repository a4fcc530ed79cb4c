// Resource ids of Velkora.exe.
#pragma once

#define IDI_VELKORA 1
#define IDC_HAND_POINTER 2
#define IDR_BANNER 3
