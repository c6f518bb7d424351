// Resource identifiers, shared by the code and by kelvara.rc.
#pragma once

#define IDR_MAIN_MENU 106
#define IDM_ABOUT 107
#define IDM_EXIT 108
#define IDM_NEW_GAME 109
#define IDD_ABOUT 116
#define IDB_ABOUT_PICTURE 118
#define IDB_BALL 120
#define IDB_BALL_MASK 121
#define IDB_PITCH 130
#define IDB_PITCH_MASK 131
#define IDB_LEFT_PLAYER 140
#define IDB_LEFT_PLAYER_MASK 141
#define IDB_RIGHT_PLAYER 150
#define IDB_RIGHT_PLAYER_MASK 151
#define IDM_EASY 160
#define IDM_MEDIUM 161
#define IDM_HARD 162
#define IDM_CHAMPION 163
#define IDB_TROPHY 170
#define IDB_TROPHY_MASK 171

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
