// Numbers shared by the setup program and its language libraries: dialog templates and
// control ids. Plain numbers, so that both resource files and the code can include it.
#pragma once

#define MEDRA_DLG_TARGET 11
#define MEDRA_DLG_DISK 16
#define MEDRA_DLG_ERROR 19
#define MEDRA_DLG_FORM 26
#define MEDRA_DLG_PROGRESS 30
#define MEDRA_DLG_COMPONENTS 24324

#define MEDRA_ID_HELP 5
#define MEDRA_ID_BACK 9
#define MEDRA_ID_DIR 200
#define MEDRA_ID_BROWSE 210
#define MEDRA_ID_ABORT 4
#define MEDRA_ID_RETRY 5
#define MEDRA_ID_IGNORE 6
#define MEDRA_ID_DISK_DIR 11
#define MEDRA_ID_DISK_LABEL 12
#define MEDRA_ID_TEXT1 4001
#define MEDRA_ID_TEXT2 4002
#define MEDRA_ID_TEXT3 4003
#define MEDRA_ID_TEXT4 4004
#define MEDRA_ID_BAR 401
#define MEDRA_ID_CHECK_BASE 1000
#define MEDRA_ID_EDIT_BASE 1100
#define MEDRA_ID_LABEL_BASE 1200
#define MEDRA_CMD_CANCEL_PROGRESS 7
