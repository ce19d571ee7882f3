#pragma once

// Resource ids of the window program's resources (res/*.rc): the program's
// icon and the list's manage icon, a 24-bit bitmap of 19 x 18 pixels.
#define IDI_QUORVEX 1
#define IDB_MANAGE 101
