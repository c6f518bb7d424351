// Identifiers of the probe's crafted pictures (probe.rc). Far from the
// game's own numbers, so both scripts can go into one program.
#pragma once

#define IDB_PROBE_RGB24_13X7 901
#define IDB_PROBE_RGB24_2X3 902
#define IDB_PROBE_RGB24_1X1 903
#define IDB_PROBE_PAL8_11X6 904
#define IDB_PROBE_PAL8_SHORT_9X5 905
#define IDB_PROBE_DISC_MASK 906
#define IDB_PROBE_DISC_PICTURE 907
#define IDB_PROBE_DISC_MASK8 908
