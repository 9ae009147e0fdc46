// Resource identifiers of the two pages, for builds whose resource.h does not have them yet.
#pragma once

#include "resources/resource.h"

#ifndef IDD_CVS_PAGE
#define IDD_CVS_PAGE 209
#define IDD_HISTORY_PAGE 210
#define IDC_CVS_ROOT 1006
#define IDC_CVS_REPOSITORY 1008
#define IDC_CVS_TAG 1007
#define IDC_CVS_FILES 1013
#define IDC_CVS_LOG 209
#define IDC_HISTORY_SHOW_LIST 1022
#define IDC_HISTORY_SHOW_TREE 1023
#define IDC_HISTORY_LIST 1012
#define IDC_HISTORY_TREE 1021
#define IDC_HISTORY_PATH 1014
#define IDC_HISTORY_VIEW 213
#define IDC_HISTORY_SAVE 214
#define IDC_HISTORY_MERGE 215
#define IDC_HISTORY_COMPARE 216
#define IDB_HISTORY 210
#define IDI_FERROW 203
#define IDR_MANIFEST 2
#endif
