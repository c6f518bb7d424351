// What every game file may include: the interface, the resource identifiers
// and the game's own headers.
#include "platform/win32.h"
#include "res/resource.h"
#include "sim/match.h"

int SeesInterface() { return IDB_TROPHY + static_cast<int>(sizeof(HDC)); }
