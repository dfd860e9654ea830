#pragma once
// Control ids of the extractor's dialogs, shared by the templates and the code.

#define IDC_SFX_TARGET_LABEL 100
#define IDC_SFX_TARGET 101
#define IDC_SFX_LIST 301
#define IDC_SFX_SELECT_ALL 121
#define IDC_SFX_SELECT_NONE 122
#define IDC_SFX_ALWAYS 501
#define IDC_SFX_NEVER 502
#define IDC_SFX_ASK 503
#define IDC_SFX_PATHS 401
#define IDC_SFX_STATUS 601
#define IDC_SFX_FILE_NAME 101
#define IDC_SFX_DONT_ASK 401
#define IDC_SFX_PASSWORD 101
