// Resource ids: dialog templates, strings, icons, cursors, bitmaps and control ids.
#pragma once

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_MAIN_DIALOG 102
#define IDD_OTHERSOFT_DIALOG 139

// Strings.
#define IDS_ABOUTBOX 101
// The main window's titles and messages.
#define IDS_NEW_FILE 201
#define IDS_TITLE_NEW_FILE 202
#define IDS_TITLE_EMPTY_TABLE 203
#define IDP_EMPTY_TABLE_DESIGN 204
#define IDP_EMPTY_TABLE_SAVE 205
#define IDP_REPLACE_FILE 206
#define IDS_DOCUMENT_FILTER 207
#define IDP_DOCUMENT_DAMAGED 208
#define IDP_NOT_DOCUMENT 209

// Icons.
#define IDR_MAINFRAME 128

// The main window's controls.
#define IDC_GRID 1000
#define IDC_SAVE_FILE 1001
#define IDC_SAVE_FILE_AS 1002
#define IDC_OPEN_FILE 1003
#define IDC_LAYOUT_DESIGN 1004
#define IDC_CLOSE_FILE 1005
#define IDC_PREVIEW 1010
#define IDC_AUTHOR_PAGE 1017

// The system-menu command that opens the About box.
#define IDM_ABOUTBOX 0x0010

// The author page's controls; a link label's string resource (same id) holds its address.
#define IDC_LINK_README 1018
#define IDC_LINK_DEBIAN 1019
#define IDC_LINK_NOTO 1020
#define IDC_LINK_QTDOC 1021
#define IDC_LINK_FOLDER 1022
#define IDC_LINK_QT 1023
#define IDC_LINK_CUPS 1024
#define IDC_AUTHOR_TEXT 1025
#define IDC_LINK_UMING 1026

// The author page's text.
#define IDS_AUTHOR_TEXT 141

// ---- Certificates: background, preview, printing, PDF and the command line. ----
// Dialog 132, bitmap 134, controls 1012 to 1017 of the preview; strings 210 to 239.
#define IDD_PREVIEW_DIALOG 132
#define IDB_BACKGROUND 134
#define IDC_PREVIOUS 1012
#define IDC_NEXT 1013
#define IDC_PRINT 1014
#define IDC_PRINT_ALL 1015
#define IDC_EXPORT_PDF 1016
#define IDC_CERTIFICATE 1017
#define IDS_PREVIEW_CAPTION 210
#define IDP_PAGE_REDUCED 211
#define IDP_PAGE_NO_MEMORY 212
// Printing.
#define IDP_NO_PRINTER 213
#define IDP_PRINTER_NOT_OPENED 214
#define IDP_PRINT_FAILED 215
#define IDP_NOTHING_TO_PRINT 216
#define IDS_PRINT_PROGRESS 217
#define IDS_PRINT_PROGRESS_CAPTION 218
#define IDS_PRINT_CANCEL 219
// Print calibration: dialog 133 and the preview's button.
#define IDD_CALIBRATE_DIALOG 133
#define IDC_CALIBRATE_PRINTER 1030
#define IDC_CALIBRATE_OFFSET_X 1031
#define IDC_CALIBRATE_OFFSET_Y 1032
#define IDC_CALIBRATE_TEST_PAGE 1033
#define IDC_CALIBRATE_HINT 1034
#define IDC_PRINT_CALIBRATE 1035
#define IDS_CALIBRATE_PRINTER 220
#define IDP_CALIBRATE_BAD_OFFSET 221
// The PDF export and the command line.
#define IDS_PDF_FILTER 225
#define IDP_CMD_ONLY_WITH 226
#define IDP_PDF_WRITTEN 227
#define IDP_PDF_NOTHING 228
#define IDS_CMD_HELP 229
#define IDP_CMD_UNKNOWN_OPTION 230
#define IDP_CMD_MISSING_VALUE 231
#define IDP_CMD_BAD_RECORD 232
#define IDP_CMD_NO_DOCUMENT 233
#define IDP_CMD_EXTRA_ARGUMENT 234
#define IDP_CMD_DOCUMENT_DAMAGED 235
#define IDP_CMD_NOT_DOCUMENT 236
#define IDP_CMD_TWO_COMMANDS 237
#define IDP_CMD_PRINTED 238
#define IDP_CMD_NO_PRINTER 239


// ---- The layout designer: design window and its editors. ----
// Dialogs 129 to 131, cursors 136 to 138, controls 1005 to 1009 and 1026; strings 240 to 269.
#define IDD_SETUP_DIALOG 129
#define IDD_EDIT_DIALOG 130
#define IDD_PAGESIZE_DIALOG 131
#define IDC_CURSOR_SIZEWE 136
#define IDC_CURSOR_MOVE 137
#define IDC_CURSOR_SIZENS 138
// The item editor's controls.
#define IDC_ITEM_TEXT 1005
#define IDC_ITEM_WIDTH 1006
#define IDC_ITEM_HEIGHT 1007
#define IDC_DELETE_ITEM 1008
#define IDC_CHOOSE_FONT 1026
// The paper-size editor's controls.
#define IDC_PAPER_HEIGHT 1006
#define IDC_PAPER_WIDTH 1009
// The design window's texts.
#define IDS_SETUP_CAPTION 240
#define IDS_SETUP_PAPER_SIZE 241
#define IDS_SETUP_SIZE_BUTTON 242
#define IDS_SETUP_NO_SELECTION 243
#define IDS_SETUP_SELECTION 244
#define IDS_SETUP_EMPTY_ITEM 245
#define IDS_SETUP_FONT_NAME 246
#define IDS_SETUP_DEFAULT_ITEM1 247
#define IDS_SETUP_DEFAULT_ITEM2 248
#define IDS_SETUP_DEFAULT_ITEM3 249
#define IDS_SETUP_PAPER_POSITION 250


// ---- Documents, saving and hardening. ----
// Strings 270 to 299.
// The question before a modified document is thrown away.
#define IDP_SAVE_MODIFIED 280


// ---- Print jobs: the queue's answer. ----
// Strings 320 to 359.
// The printer, the queue's words, the certificates in the job, the first record not printed.
#define IDP_PRINT_REFUSED 320
#define IDS_PRINT_NO_REASON 321
// The printer, the certificates in the job, the queue's job id.
#define IDP_PRINT_QUEUED 322


// ---- Print calibration: scale per direction and vector text. ----
// Controls and strings 480 to 519.
#define IDC_CALIBRATE_SCALE_X 480
#define IDC_CALIBRATE_SCALE_Y 481
#define IDC_CALIBRATE_MARK_X 482
#define IDC_CALIBRATE_MARK_Y 483
#define IDC_CALIBRATE_LANDED_X 484
#define IDC_CALIBRATE_LANDED_Y 485
#define IDC_CALIBRATE_VECTOR_TEXT 486
// The ruler mark's length in millimetres, in the dialog and on the test page.
#define IDS_CALIBRATE_MARK 490
#define IDS_TEST_PAGE_MARK 491
#define IDP_CALIBRATE_BAD_SCALE 492


// ---- Bounds: what a document, the design window and the grid hold at most. ----
// Strings 360 to 399.
#define IDP_SETUP_TOO_MANY_ITEMS 360
#define IDP_SETUP_TEXT_CUT 361
#define IDP_SETUP_UNDO_CUT 362
#define IDS_TITLETIP_CUT 363


// ---- Documents that open again; the table grows on paste. ----
// Strings 400 to 439.
// A paste that ran past the most records a document holds.
#define IDP_PASTE_CUT 400
