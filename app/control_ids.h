#pragma once
// Resource and control ids of the main dialog. Shared by the resource script
// (windres reads this file too, so it holds nothing but #defines) and by every
// operation, which reaches the dialog's controls by these ids.

#define IDD_MAIN_DIALOG 1001
#define IDI_PROGRAM_ICON 8001

#define IDC_LABEL_INSTRUMENT_NO 4001
#define IDC_FIRMWARE 4002
#define IDC_LABEL_USER_ID 4003
#define IDC_LABEL_LOCATION 4004
#define IDC_LABEL_ACCESS_LEVEL 4005
#define IDC_LABEL_ALARM 4006
#define IDC_LABEL_OPERATING_MODE 4007
#define IDC_LABEL_DATETIME 4008
#define IDC_LABEL_FIRMWARE 4010
#define IDC_LABEL_SPAN 4011
#define IDC_LABEL_RESPONSE_FACTOR 4012
#define IDC_GROUP_INFORMATION 4013
#define IDC_GROUP_SETTINGS 4014
#define IDC_PRINT_LOG 4015
#define IDC_USER_ID 4016
#define IDC_LOCATION 4017
#define IDC_ACCESS_LEVEL 4018
#define IDC_DATETIME 4019
#define IDC_OPERATING_MODE 4021
#define IDC_ALARM 4022
#define IDC_SPAN 4023
#define IDC_RESPONSE_FACTOR 4024
#define IDC_INSTRUMENT_NO 4025
#define IDC_SET_TIME 4026
#define IDC_ERASE_DATA 4027
#define IDC_GET_CONFIG 4028
#define IDC_DOWNLOAD_LOG 4029
#define IDC_EXPORT_LOG 4030
#define IDC_CONNECT 4031
#define IDC_QUIT 4032
#define IDC_LOG_LIST 4033
#define IDC_ABOUT 4034
#define IDC_DISCONNECT 4035
#define IDC_GROUP_DATA_LOG 4036
#define IDC_PROGRESS 4037
#define IDC_SAVE_CONFIG 4038
#define IDC_PORT 4039
#define IDC_STATUS 4040
