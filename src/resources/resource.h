// Resource identifiers. Numbers are fixed: other modules and stored settings refer to them.
#pragma once

// Strings
#define IDS_PROJNAME 100
#define IDS_CVS 101
#define IDS_COL_STATUS 102
#define IDS_COL_STATUS_DESC 103
#define IDS_COL_TAG 104
#define IDS_COL_TAG_DESC 105
#define IDS_COL_REVISION 106
#define IDS_COL_REVISION_DESC 107
#define IDS_COL_OPTIONS 108
#define IDS_COL_OPTIONS_DESC 109
#define IDS_COL_AUTHOR 110
#define IDS_COL_AUTHOR_DESC 111
#define IDS_HIST_REVISION 112
#define IDS_HIST_DATE 113
#define IDS_HIST_AUTHOR 114
#define IDS_HIST_CHANGES 115
#define IDS_HIST_STATE 116
#define IDS_HIST_MESSAGE 117
#define IDS_MENU_UPDATE 118
#define IDS_MENU_COMMIT 119
#define IDS_MENU_DIFF 120
#define IDS_MENU_UNDO 121
#define IDS_MENU_REMOVE 122
#define IDS_MENU_ADD 123
#define IDS_MENU_CUSTOM 124
#define IDS_MENU_CVS 126
#define IDS_ERROR_TEXT 127
#define IDS_ERROR_CAPTION 128
#define IDS_STATUS_ADDED 129
#define IDS_STATUS_REMOVED 130
#define IDS_STATUS_MODIFIED 131
#define IDS_STATUS_CONFLICT 132
#define IDS_STATUS_MERGED 133
#define IDS_STATUS_OK 134
#define IDS_HELP_UPDATE 135
#define IDS_HELP_COMMIT 136
#define IDS_HELP_UNDO 137
#define IDS_HELP_ADD 138
#define IDS_HELP_REMOVE 139
#define IDS_HELP_DIFF 140
#define IDS_HELP_CUSTOM 142
#define IDS_MENU_OPTIONS 143
#define IDS_ABOUT_TITLE 144
#define IDS_ABOUT_HELPFILE 145
#define IDS_ABOUT_DOCSTRING 146
#define IDS_HELP_OPTIONS 147
#define IDS_STATUS_CONFLICT_RESOLVED 148
#define IDS_TOOLS_TITLE 149
#define IDS_TOOLS_HELPFILE 150
#define IDS_TOOLS_DOCSTRING 151
#define IDS_CONSOLE_TITLE 152
#define IDS_PROGRESS_TITLE 153
#define IDS_OPTIONS_DOCSTRING 154
#define IDS_OPTIONS_TITLE 155
#define IDS_HELP_TAG 156
#define IDS_HELP_RESET_TAG 157
#define IDS_FRAME_CAPTION 158
#define IDS_MENU_RESET_TAG 159
#define IDS_MENU_TAG 160
// Running commands: the progress window's note after Cancel, the console lines of a cancelled operation,
// of one refused because another still runs on the same window's thread, and of one refused because a
// name does not fit on a command line (the name follows on the next line).
#define IDS_PROGRESS_CANCELLING 180
#define IDS_RUN_CANCELLED 181
#define IDS_RUN_BUSY 182
#define IDS_NAME_TOO_LONG 183
// Options page: whether the overlay identifiers are among those the shell loads, one paragraph per
// registry view on 64-bit Windows (the view's label first)
#define IDS_OVERLAYS_LOADED 190
#define IDS_OVERLAYS_NOT_LOADED 191
#define IDS_OVERLAYS_NOT_REGISTERED 192
#define IDS_OVERLAYS_VIEW64 193
#define IDS_OVERLAYS_VIEW32 194
// The output window of an operation (IDD_OUTPUT): its title ("%1": the operation, "%2": the folder), the
// button while a command runs and after, the line under the text while it runs and after success or failure;
// the console bar's line in place of output it dropped; the Options page's choices of where output goes.
#define IDS_OUTPUT_TITLE 200
#define IDS_OUTPUT_CANCEL 201
#define IDS_OUTPUT_CLOSE 202
#define IDS_OUTPUT_RUNNING 203
#define IDS_OUTPUT_DONE 204
#define IDS_OUTPUT_FAILED 205
#define IDS_CONSOLE_TRIMMED 206
#define IDS_OPTIONS_OUTPUT_AUTO 207
#define IDS_OPTIONS_OUTPUT_WINDOW 208
#define IDS_OPTIONS_OUTPUT_BAR 209

// Registration script (type "REGISTRY")
#define IDR_FERROW 101

// Labels without an identifier
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates
#define IDD_ABOUT 143           // About page (property page of the settings frame)
#define IDD_TOOLS 148           // Tools page
#define IDD_OPTIONS 154         // Options page
#define IDD_CUSTOM_COMMAND 208  // "CVS custom command" dialog
#define IDD_CVS_PAGE 209        // "CVS" page of the Properties dialog
#define IDD_HISTORY_PAGE 210    // "History" page of the Properties dialog
#define IDD_TAG 214             // "CVS Tag" dialog
#define IDD_COMMIT 215          // "CVS Commit" dialog
#define IDD_OUTPUT 216          // an operation's output window (modeless, resizable)

// Controls shared by the commit and tag dialogs: the single selected file's entry
#define IDC_REVISION 1017  // read-only edit: revision
#define IDC_TAG 1007       // read-only edit: sticky tag

// Commit dialog (IDD_COMMIT)
#define IDC_COMMIT_MESSAGE 1019   // multi-line edit: log message
#define IDC_COMMIT_PREVIOUS 1003  // drop-down list: previous messages
#define IDC_COMMIT_COMPARE 1015   // "Compare..." (starts disabled)

// Tag dialog (IDD_TAG)
#define IDC_TAG_NAME 1038    // editable combo box: tag name and previous tags
#define IDC_TAG_MOVE 1037    // check box: move tag if it already exists
#define IDC_TAG_CHECK 1028   // check box: check that working files are unmodified
#define IDC_TAG_BRANCH 1027  // check box: create a branch

// Custom-command dialog (IDD_CUSTOM_COMMAND)
#define IDC_CUSTOM_COMMAND 1025   // multi-line edit: command line
#define IDC_CUSTOM_PREVIOUS 1024  // drop-down list: previous command lines

// CVS page (IDD_CVS_PAGE)
#define IDC_CVS_ROOT 1006        // read-only edit: CVS root
#define IDC_CVS_REPOSITORY 1008  // read-only edit: repository
#define IDC_CVS_TAG 1007         // read-only edit: tag
#define IDC_CVS_FILES 1013       // sorted drop-down list: the selected paths
#define IDC_CVS_LOG 209          // read-only multi-line edit: log text

// History page (IDD_HISTORY_PAGE)
#define IDC_HISTORY_SHOW_LIST 1022  // radio button "List" (checked at start)
#define IDC_HISTORY_SHOW_TREE 1023  // radio button "Tree"
#define IDC_HISTORY_LIST 1012       // list view, report view
#define IDC_HISTORY_TREE 1021       // tree view, hidden at start, same rectangle as the list
#define IDC_HISTORY_PATH 1014       // hidden label: the file's full path
#define IDC_HISTORY_VIEW 213        // "View..."
#define IDC_HISTORY_SAVE 214        // "Save as..."
#define IDC_HISTORY_MERGE 215       // "Merge"
#define IDC_HISTORY_COMPARE 216     // "Compare..."

// Options page (IDD_OPTIONS)
#define IDC_OPTIONS_CVS 1034       // radio button: CVS timestamps
#define IDC_OPTIONS_CVSNT 1035     // radio button: CVSNT timestamps
#define IDC_OPTIONS_AUTOSHOW 1036  // check box: automatically show the output
#define IDC_OPTIONS_OVERLAYS 1050  // label: whether the overlay identifiers are loaded
#define IDC_OPTIONS_OUTPUT 1052    // drop-down list: where output goes (auto, window, bar)
#define IDC_OPTIONS_CLOSE_OUTPUT 1053  // check box: close the output window after a success

// Output window (IDD_OUTPUT); its one button is IDCANCEL: Cancel while a command runs, then OK
#define IDC_OUTPUT_TEXT 1060      // read-only rich edit: echo lines, output, errors, the result line
#define IDC_OUTPUT_PROGRESS 1061  // marquee progress bar while a command runs
#define IDC_OUTPUT_STATUS 1062    // label: running, done, failed or the cancel text

// Tools page (IDD_TOOLS)
#define IDC_TOOLS_CVS 1033   // edit: CVS program ("Cvs")
#define IDC_TOOLS_DIFF 1031  // edit: diff program ("Diff")
#define IDC_TOOLS_VIEW 1032  // edit: text viewer ("View")

// About page (IDD_ABOUT)
#define IDC_ABOUT_VERSION 1032    // label: "FileVersion" of the version resource
#define IDC_ABOUT_COPYRIGHT 1040  // label: "LegalCopyright" of the version resource
#define IDC_ABOUT_ADDRESS 1033    // borderless read-only edit: the product's web address

// Bitmaps: 13 x 13, 16 colours, beside the context-menu items
#define IDB_CVS 201        // the "CVS" submenu
#define IDB_ADD 202        // "Add"
#define IDB_REMOVE 203     // "Remove"
#define IDB_UPDATE 204     // "Update"
#define IDB_COMMIT 205     // "Commit..."
#define IDB_DIFF 206       // "Diff..."
#define IDB_UNDO 209       // "Undo"
#define IDB_OPTIONS 212    // "Options..."
#define IDB_TAG 213        // "Tag..."
#define IDB_RESET_TAG 214  // "Reset sticky tag"
#define IDB_CUSTOM 215     // "Custom Command..."

// History images: bitmap and toolbar resource 210, four 16 x 16 images in one 64 x 16 strip
#define IDB_HISTORY 210
#define IDR_HISTORY_TOOLBAR 210
#define IDX_HISTORY_BRANCH 0           // image index: branch node
#define IDX_HISTORY_BRANCH_SELECTED 1  // image index: branch node, selected
#define IDX_HISTORY_REVISION 2         // image index: a revision
#define IDX_HISTORY_WORKING 3          // image index: the working copy's revision
#define ID_HISTORY_BRANCH 32771        // toolbar buttons, one per image
#define ID_HISTORY_BRANCH_SELECTED 32772
#define ID_HISTORY_REVISION 32773
#define ID_HISTORY_WORKING 32774

// Icon groups; their order is the icon index the shell uses (0, 1, 2)
#define IDI_FERROW 203      // the program's icon
#define IDI_CONTROLLED 204  // overlay: under version control (blue corner)
#define IDI_MODIFIED 205    // overlay: locally modified (red corner)
// Icons of Windows 11's context menu: the bitmaps' pictures as 16 x 16 icons (after the three above)
#define IDI_MENU_CVS 221        // the "CVS" entry
#define IDI_MENU_ADD 222        // "Add"
#define IDI_MENU_REMOVE 223     // "Remove"
#define IDI_MENU_UPDATE 224     // "Update"
#define IDI_MENU_COMMIT 225     // "Commit..."
#define IDI_MENU_DIFF 226       // "Diff..."
#define IDI_MENU_UNDO 229       // "Undo"
#define IDI_MENU_OPTIONS 232    // "Options..."
#define IDI_MENU_TAG 233        // "Tag..."
#define IDI_MENU_RESET_TAG 234  // "Reset sticky tag"
#define IDI_MENU_CUSTOM 235     // "Custom Command..."

// Animation (type "AVI"): 260 x 40, 17 frames, 10 per second, for the progress dialog
#define IDR_PROGRESS_AVI 213

// Manifest (type RT_MANIFEST)
#define IDR_MANIFEST 2

// Ferrow.exe, the program that runs the operations. Ranges kept free for its windows (strings, dialogs,
// controls, images): the program and its operations 300-349 / dialogs 300-309 / controls 1100-1149;
// repository access 350-399 / 310-319 / 1150-1199; the diff viewer and annotate 400-449 / 320-329 /
// 1200-1249; the changes list 450-499 / 330-339 / 1250-1299; the Windows 11 menu package 500-519 /
// 340-344 / 1300-1319; new menu images 240-259.
#define IDS_PROGRAM_UNKNOWN_COMMAND 300  // a /command: the program does not know
#define IDS_PROGRAM_ABOUT 301            // the program started without a command

// Repository access (Ferrow.exe: Checkout, Import, Log in, Log out).
#define IDS_MENU_CHECKOUT 350
#define IDS_HELP_CHECKOUT 351
#define IDS_MENU_IMPORT 352
#define IDS_HELP_IMPORT 353
#define IDS_MENU_LOGIN 354
#define IDS_HELP_LOGIN 355
#define IDS_MENU_LOGOUT 356
#define IDS_HELP_LOGOUT 357
#define IDS_ROOT_EMPTY 360            // the root's problems, in the order of repo::RootError from kEmpty
#define IDS_ROOT_CONTROL 361
#define IDS_ROOT_NO_CLOSING_COLON 362
#define IDS_ROOT_UNKNOWN_METHOD 363
#define IDS_ROOT_NO_PATH 364
#define IDS_ROOT_BAD_USER 365
#define IDS_ROOT_PASSWORD 366
#define IDS_ROOT_OPTION_LIKE 367
#define IDS_ROOT_BAD_HOST 368
#define IDS_ROOT_BAD_PORT 369
#define IDS_ROOT_NOT_ABSOLUTE 370
#define IDS_REQ_MODULE 371            // the request's problems
#define IDS_REQ_FOLDER 372
#define IDS_REQ_TAG 373
#define IDS_REQ_DATE 374
#define IDS_REQ_VENDOR_TAG 375
#define IDS_REQ_RELEASE_TAG 376
#define IDS_REQ_MESSAGE 377
#define IDS_REQ_PATTERN 378
#define IDS_REQ_USER 379
#define IDS_CHECKOUT_NAME 380         // the output window's operation names
#define IDS_IMPORT_NAME 381
#define IDS_IMPORT_OFFER 382          // after an import: check the module out beside the folder?
#define IDS_LOGIN_EXT 383             // what an :ext: root needs instead of a login
#define IDS_LOGIN_OTHER_METHOD 384
#define IDS_LOGIN_WRITE_FAILED 385
#define IDS_LOGOUT_DONE 386
#define IDS_LOGOUT_NONE 387
#define IDS_LOGIN_NEEDED 388          // a command's output asks to log in first
#define IDS_LOGIN_REJECTED 389
#define IDS_NO_PSERVER_ROOT 390
#define IDS_LOGIN_CAPTION 391
#define IDS_REPO_CAPTION 392
#define IDS_CHECKOUT_EXISTS 393
#define IDS_LOGIN_NAME 394
#define IDD_CHECKOUT 310
#define IDD_IMPORT 311
#define IDD_LOGIN 312
#define IDC_REPO_ROOT 1150
#define IDC_REPO_LOGIN 1151
#define IDC_REPO_MODULE 1152
#define IDC_REPO_FOLDER 1153
#define IDC_REPO_HEAD 1154
#define IDC_REPO_BY_TAG 1155
#define IDC_REPO_BY_DATE 1156
#define IDC_REPO_TAG 1157
#define IDC_REPO_DATE 1158
#define IDC_REPO_PRUNE 1159
#define IDC_REPO_VENDOR 1160
#define IDC_REPO_RELEASE 1161
#define IDC_REPO_MESSAGE 1162
#define IDC_REPO_BINARY 1163
#define IDC_REPO_USER 1164
#define IDC_REPO_PASSWORD 1165
#define IDC_REPO_NOTE 1166
#define IDC_OPTIONS_OUTSIDE 1167      // Options page: Checkout and Import outside working copies
#define IDB_CHECKOUT 240
#define IDB_IMPORT 241
#define IDB_LOGIN 242
#define IDB_LOGOUT 243
#define IDI_MENU_CHECKOUT 244
#define IDI_MENU_IMPORT 245
#define IDI_MENU_LOGIN 246
#define IDI_MENU_LOGOUT 247
// Ferrow.exe /register-menu, /unregister-menu (the Windows 11 menu's package)
#define IDS_MENU_PACKAGE_REGISTER_FAILED 500    // then PowerShell's message
#define IDS_MENU_PACKAGE_UNREGISTER_FAILED 501  // then PowerShell's message
#define IDS_MENU_PACKAGE_NO_POWERSHELL 502      // PowerShell could not be started
// The installer's logging action (FerrowSetup.dll): "%1" the command line, "%2" a number
#define IDS_SETUP_ACTION_ENDED 503              // the program's exit code; then its output
#define IDS_SETUP_ACTION_NOT_STARTED 504        // the system's error code
#define IDS_SETUP_ACTION_STOPPED 505            // minutes waited before it was stopped
// What stays in the shell's process, and the program's prompts ("host": 325-349 / 305-309 / 1125-1149).
#define IDS_OUTPUT_SILENT 325            // the output window's line after a long silence
#define IDS_OUTPUT_SILENT_STATUS 326     // its status meanwhile
#define IDS_ASKPASS_TITLE 327            // the caption of ssh's prompt
#define IDS_PAGE_LOG_LOADING 328         // a Properties page while its log is read
#define IDS_PAGE_LOG_FAILED 329          // a Properties page whose log could not be read
#define IDD_ASKPASS 305                  // ssh's prompt: its text, an answer, OK and Cancel
#define IDC_ASKPASS_PROMPT 1125
#define IDC_ASKPASS_ANSWER 1126

// The diff viewer and annotate (Ferrow.exe): strings 400-449, dialogs 320-329, controls 1200-1249,
// images 250-254.
#define IDS_DIFF_TITLE 400             // window title suffix of the viewer
#define IDS_DIFF_WORKING_COPY 401      // caption of the working file's pane
#define IDS_DIFF_REVISION 402          // "Revision" before a revision number
#define IDS_DIFF_BINARY 403            // a binary file is refused (the file's name follows)
#define IDS_DIFF_READ_FAILED 404       // a file could not be read (its name follows)
#define IDS_DIFF_IDENTICAL 405         // status: no differences
#define IDS_DIFF_CHANGES 406           // status: "Changes:" before their number
#define IDS_DIFF_ENC_ANSI 407          // encodings and line ends of a pane's caption
#define IDS_DIFF_ENC_UTF8 408
#define IDS_DIFF_ENC_UTF8_BOM 409
#define IDS_DIFF_LINES_LF 410
#define IDS_DIFF_LINES_CRLF 411
#define IDS_DIFF_LINES_MIXED 412
#define IDS_DIFF_NO_FINAL_LINE_END 413
#define IDS_DIFF_FETCH_FAILED 414      // the client could not fetch a revision (file and revision follow)
#define IDS_DIFF_NO_ENTRY 415          // a file without a revision in CVS/Entries (its name follows)
#define IDS_TOOL_START_FAILED 416      // a configured tool could not be started (its command follows)
#define IDS_PATCH_FILTER 417           // the Save dialog's filter, parts separated by "|"
#define IDS_PATCH_EMPTY 418            // no differences: nothing saved
#define IDS_PATCH_FAILED 419           // the patch could not be written (the file's name follows)
#define IDS_ANNOTATE_TITLE 420         // window title suffix of annotate
#define IDS_ANNOTATE_EMPTY 421         // annotate gave no lines (the file's name follows)
#define IDS_ANNOTATE_NO_LOG 422        // the revision's log message could not be read
#define IDS_COLUMN_LINE 423            // column headers of annotate
#define IDS_COLUMN_REVISION 424
#define IDS_COLUMN_AUTHOR 425
#define IDS_COLUMN_DATE 426
#define IDS_COLUMN_TEXT 427
#define IDS_MENU_ANNOTATE 428          // "Annotate" (menu offset 15)
#define IDS_HELP_ANNOTATE 429
#define IDS_DIFF_NEEDS_FILE 430        // the command needs one file
#define IDS_DIFF_NEEDS_REVISION 431    // the command needs /rev:R (or /rev1:R /rev2:R)
#define IDS_DIFF_SAVE_TITLE 432        // title of the Save dialog of "Save as patch"
#define IDS_ANNOTATE_HINT 433          // status line of annotate
#define IDD_DIFFVIEW 320               // the diff viewer
#define IDD_ANNOTATE 321               // annotate
#define IDC_DIFF_LIST 1200             // list: left number, left text, right number, right text
#define IDC_DIFF_PREVIOUS 1201         // button: previous change
#define IDC_DIFF_NEXT 1202             // button: next change
#define IDC_DIFF_PATCH 1203            // button: save as patch
#define IDC_DIFF_STATUS 1204           // static: number of changes, line ends
#define IDC_DIFF_LEFT_CAPTION 1205     // static: the old file's caption
#define IDC_DIFF_RIGHT_CAPTION 1206    // static: the new file's caption
#define IDC_ANNOTATE_LIST 1210         // list: line, revision, author, date, text
#define IDC_ANNOTATE_STATUS 1211       // static: hint
#define IDB_ANNOTATE 250               // "Annotate" menu bitmap
#define IDI_MENU_ANNOTATE 251          // "Annotate" icon of Windows 11's menu

// The changes list, the commit dialog, Check for modifications and Update to (strings 450-499, dialogs
// 330-339, controls 1250-1299).
#define IDS_CHANGES_UNVERSIONED 450       // state of a file in no CVS/Entries and not ignored
#define IDS_CHANGES_MISSING 451           // state of a listed file missing on disk
#define IDS_CHANGES_NEEDS_UPDATE 452      // "Check repository": the repository has a newer revision
#define IDS_CHANGES_NEEDS_MERGE 453       // changed here and there, merges cleanly
#define IDS_CHANGES_WOULD_CONFLICT 454    // changed here and there, the merge would conflict
#define IDS_CHANGES_REMOVED_THERE 455     // the repository no longer has it
#define IDS_CHANGES_COL_PATH 456
#define IDS_CHANGES_COL_STATE 457
#define IDS_CHANGES_COL_REPOSITORY 458
#define IDS_CHANGES_GROUP_CHANGED 459
#define IDS_CHANGES_GROUP_UNVERSIONED 460
#define IDS_MENU_CHECKMODS 461
#define IDS_HELP_CHECKMODS 462
#define IDS_MENU_UPDATETO 463
#define IDS_HELP_UPDATETO 464
#define IDS_CHANGES_CHECK_TITLE 465       // "%1": the folder
#define IDS_CHANGES_COMMIT_TITLE 466      // "%1": the folder
#define IDS_CHANGES_NOTHING 467
#define IDS_CHANGES_COUNT 468             // "%1" checked of "%2" rows
#define IDS_CHANGES_CHECKING 469
#define IDS_CHANGES_CHECK_FAILED 470
#define IDS_UPDATETO_STICKY 471           // "%1": the sticky tag or date after the update
#define IDS_UPDATETO_NO_STICKY 472
#define IDS_CHANGES_OP_COMMIT 474         // operation names in the output window's title
#define IDS_CHANGES_OP_UNDO 475
#define IDS_CHANGES_OP_ADD 476
#define IDS_CHANGES_OP_REMOVE 477
#define IDS_CHANGES_OP_UPDATE 478
#define IDS_CHANGES_OP_UPDATETO 479
#define IDS_CHANGES_UNDO_CONFIRM 480      // "%1": how many files
#define IDS_CHANGES_REMOVE_CONFIRM 481    // "%1": how many files
#define IDS_UPDATETO_DATE_INVALID 482
#define IDS_UPDATETO_TAG_EMPTY 483
#define IDS_CHANGES_CHECKED_AT 484        // "Repository checked" note under the list
#define IDD_CHANGES_COMMIT 330
#define IDD_CHANGES_CHECK 331
#define IDD_UPDATE_TO 332
#define IDC_CHANGES_LIST 1250
#define IDC_CHANGES_MESSAGE 1251
#define IDC_CHANGES_PREVIOUS 1252
#define IDC_CHANGES_SUMMARY 1253
#define IDC_CHANGES_CHECK_REPO 1255
#define IDC_CHANGES_DIFF 1256
#define IDC_CHANGES_COMMIT 1257
#define IDC_CHANGES_UNDO 1258
#define IDC_CHANGES_ADD 1259
#define IDC_CHANGES_REMOVE 1260
#define IDC_CHANGES_UPDATE 1261
#define IDC_CHANGES_REFRESH 1262
#define IDC_CHANGES_MESSAGE_LABEL 1263
#define IDC_CHANGES_PREVIOUS_LABEL 1264
#define IDC_UPDATETO_HEAD 1270
#define IDC_UPDATETO_TAG 1271
#define IDC_UPDATETO_TAG_LIST 1272
#define IDC_UPDATETO_DATE 1273
#define IDC_UPDATETO_DATE_TEXT 1274
#define IDC_UPDATETO_CURRENT 1275
