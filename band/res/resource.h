#pragma once
// Resource ids of rssband. Command ids double as string ids (tooltips) and
// as the ids of the matching context-menu items.

// Bitmaps, toolbar, icon, menus.
#define IDB_TOOLBAR 1000     // six 16x16 toolbar images, RGB(192,192,192) transparent
#define IDR_TOOLBAR 1000     // toolbar resource (type 241)
#define IDB_TREE 1100        // eight 16x16 tree images
#define IDI_BAND 101         // explorer bar button and status bar
#define IDR_OPTIONS_MENU 1300
#define IDR_TREE_MENU 1400

// Toolbar and tree commands.
#define ID_OPTIONS 10000
#define ID_ADD_CHANNEL 10001
#define ID_NEW_FOLDER 10002
#define ID_UPDATE 10003
#define ID_MORE_CHANNELS 10004
#define ID_EXPORT 10005
#define ID_DELETE 10006
#define ID_UPDATE_ALL 10007
#define ID_PROPERTIES 10008
#define ID_MARK_READ 32786

// Options menu: style sheets are 11000 + n, update intervals 11200 + minutes.
#define ID_STYLE_SHEET_FIRST 11000
#define ID_STYLE_SHEET_LAST 11100
#define ID_INTERVAL_FIRST 11200
#define ID_INTERVAL_NONE 11200
#define ID_INTERVAL_10 11210
#define ID_INTERVAL_30 11230
#define ID_INTERVAL_60 11260
#define ID_INTERVAL_LAST 11260

// Strings beyond the command tooltips.
#define IDS_DELETE_CAPTION 20000
#define IDS_DELETE_CHANNEL 20001
#define IDS_DELETE_FOLDER 20002
#define IDS_DELETE_BUSY 20003
#define IDS_OPEN_FAILED 20010
#define IDS_BAD_XML 20011
#define IDS_BAD_RSS 20012
#define IDS_WRITE_FAILED 20013
#define IDS_READY 20014
#define IDS_FAILED 20015
#define IDS_UPDATING 20016
