// Ids of the plug-in's resources and of the controls of its dialog templates. Included by the
// resource script and by the code.
#pragma once

// String table
#define IDS_OUT_SHORT_NAME 2950 // also the output class id and its menu command
#define IDS_IN_SHORT_NAME 2951  // also the input class id and its menu command
#define IDS_OUT_DESCRIPTION 3950
#define IDS_IN_DESCRIPTION 3951
#define IDS_VERSION_TEXT 3952
#define IDS_INPUT_LABEL 3957

#define IDC_STATIC_NONE -1

// "DEV_SEL"
#define IDC_DEVSEL_LIST 103
#define IDC_DEVSEL_ADDRESS 1001
#define IDC_DEVSEL_LENGTH 1002
#define IDC_DEVSEL_SWITCH 1003
#define IDC_DEVSEL_LOGSLOT 1011
#define IDC_DEVSEL_PORTS 1012

// "LUMO31A_OUT", "LUMO31A_IN"
#define IDC_LESS 23000
#define IDC_MORE 23001
#define IDC_CHANNEL0 23002 // channel button k is 23002 + k, k = 0 to 15
#define IDC_MODULE_NAME 23018
#define IDC_MODULE_DESCRIPTION 23019
#define IDC_CHANNEL_NUMBER 23020
#define IDC_CHANNEL_NAME 23021
#define IDC_VERSION 1006
#define IDC_SLOT_TEXT 1011
#define IDC_PORT_TEXT 1016

// "ABOUTLUMO35"
#define IDC_ABOUT_TEXT 1007
