// Numeric ids of the program's resources and commands. A command id is also
// the id of the string that holds its prompt, and a status-bar pane id the id
// of the string shown in the pane until it is first refreshed.
#pragma once

namespace res
{

// Resources
inline constexpr unsigned IDR_MAINFRAME = 128;   // menu with no graph, icon, accelerators, toolbar
inline constexpr unsigned IDR_GRAPHTYPE = 129;   // menu with a graph open, document icon and string
inline constexpr unsigned IDR_GRAPH_POPUP = 102; // context menu of a graph window
inline constexpr unsigned IDD_ABOUTBOX = 100;

// Strings of the About box
inline constexpr unsigned IDS_MEMORY_FORMAT = 105;
inline constexpr unsigned IDS_DISK_FREE_FORMAT = 106;
inline constexpr unsigned IDS_DISK_UNAVAILABLE = 107;

// Controls of the About box
inline constexpr unsigned IDC_FREE_MEMORY = 1008;
inline constexpr unsigned IDC_FREE_DISK = 1009;
inline constexpr unsigned IDOK = 1;
inline constexpr unsigned IDCANCEL = 2;

// Status-bar panes
inline constexpr unsigned ID_SEPARATOR = 0; // the message pane
inline constexpr unsigned ID_INDICATOR_DATE = 103;
inline constexpr unsigned ID_INDICATOR_TIME = 104;
inline constexpr unsigned ID_INDICATOR_CAPS = 59137;
inline constexpr unsigned ID_INDICATOR_NUM = 59138;
inline constexpr unsigned ID_INDICATOR_SCRL = 59139;

// The clock that refreshes the date and time panes
inline constexpr unsigned kClockTimerId = 4096;
inline constexpr int kClockPeriodMs = 1000;

// Commands of a graph window, offered by its context menu and handled by its view
inline constexpr unsigned ID_FUNCTION_DELETE = 32775;
inline constexpr unsigned ID_EDIT_PARAMETERS = 32776;
inline constexpr unsigned ID_FUNCTION_NEW = 32777;
inline constexpr unsigned ID_OPS = 32778;
inline constexpr unsigned ID_FUNCTION_EDIT = 32779;
inline constexpr unsigned ID_EXPORT_METAFILE = 32781;

// Standard commands
inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_CLOSE = 57602;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_SAVE_AS = 57604;
inline constexpr unsigned ID_FILE_PRINT_SETUP = 57606;
inline constexpr unsigned ID_FILE_PRINT = 57607;
inline constexpr unsigned ID_FILE_PRINT_DIRECT = 57608;
inline constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
inline constexpr unsigned ID_FILE_MRU_LAST = 57631; // sixteen ids are reserved for the list
inline constexpr unsigned ID_EDIT_COPY = 57634;
inline constexpr unsigned ID_EDIT_CUT = 57635;
inline constexpr unsigned ID_EDIT_PASTE = 57637;
inline constexpr unsigned ID_EDIT_UNDO = 57643;
inline constexpr unsigned ID_WINDOW_NEW = 57648;
inline constexpr unsigned ID_WINDOW_ARRANGE = 57649;
inline constexpr unsigned ID_WINDOW_CASCADE = 57650;
inline constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_NEXT_PANE = 57680;
inline constexpr unsigned ID_PREV_PANE = 57681;
inline constexpr unsigned ID_VIEW_TOOLBAR = 59392;    // also the toolbar's window id
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393; // also the status bar's window id

// The entries of the window list the Window menu appends
inline constexpr unsigned AFX_IDM_FIRST_MDICHILD = 0xFF00;
inline constexpr unsigned kMaxListedWindows = 9;
inline constexpr unsigned ID_WINDOW_MORE = AFX_IDM_FIRST_MDICHILD + kMaxListedWindows;

// Strings
inline constexpr unsigned AFX_IDS_APP_TITLE = 57344;
inline constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr unsigned AFX_IDS_UNREG_DONE = 61707;
inline constexpr unsigned AFX_IDS_UNREG_FAILURE = 61708;

} // namespace res
