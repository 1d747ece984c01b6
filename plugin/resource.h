// resource.h - the ids of the plug-in's resources: string table, dialog template and menu command.
//
// Read by the resource compiler as well as by C++, so it holds plain #define
// lines only. The numbers are fixed: the host sees string 1 as the menu text
// and sends 51507 back as the command's selection number.
#pragma once

// String table, in English (United States) and Russian.
#define IDS_COMMAND_NAME      1 // menu text, and the "Command" a user command arrives with
#define IDS_ABOUT_NAME        2
#define IDS_ABOUT_AUTHOR      3
#define IDS_ABOUT_DESCRIPTION 4
#define IDS_NOT_IN_ORBIT      5 // the one message the user is ever shown

// The progress window's template and its two controls.
#define IDD_SENDING  129
#define IDC_STOP     1002
#define IDC_PROGRESS 1011

// The menu item's number, and the selection number of the command's queries.
#define ID_DISTRIBUTE_GROUP 51507
