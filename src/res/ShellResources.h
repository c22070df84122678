// The shell's resources as data: the string table, the menus, the
// accelerators, the toolbar and the About box. Every text
// here is UTF-8; the windows code turns the tables into menus and bars.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"

namespace res
{

// Texts the shell shows that have no string id of their own.
inline constexpr char kAppName[] = "Tracelo";
inline constexpr char kSavePrompt[] = "Salvare le modifiche a %1?";
inline constexpr char kOpenTitle[] = "Apri";
inline constexpr char kSaveAsTitle[] = "Salva con nome";
inline constexpr char kAllFilesFilter[] = "Tutti i file (*.*)";
inline constexpr char kButtonYes[] = "&Sì";
inline constexpr char kButtonNo[] = "&No";
inline constexpr char kButtonCancel[] = "Annulla";
inline constexpr char kButtonOk[] = "OK";
inline constexpr char kMoreWindows[] = "&Altre finestre...";
inline constexpr char kSelectWindowTitle[] = "Seleziona finestra";
inline constexpr char kActivateWindowPrompt[] = "Attiva questa finestra";
inline constexpr char kAboutNotice[] = "Copyright © 2026 gli autori di Tracelo";
// On standard error when the program finds no screen to open its window on.
inline constexpr char kNoDisplay[] =
    "Tracelo: impossibile aprire lo schermo. Avviare il programma in una sessione grafica "
    "(variabile DISPLAY o WAYLAND_DISPLAY).";

// The string with that id, or nullptr when there is none. A command's string
// is its prompt, optionally followed by '\n' and the tooltip.
const char* LoadString(unsigned nID);

// The part of a command string before the first '\n' (the prompt), or after
// it (the tooltip); empty when the command has no string or no such part.
std::string GetCommandPrompt(unsigned nID);
std::string GetCommandTooltip(unsigned nID);

// One field of the document string 129 (0 window title, 1 document name,
// 2 name in the New list, 3 filter name, 4 filter extension, 5 file-type id,
// 6 file-type name); empty when absent.
std::string GetDocString(unsigned nTemplateID, int nField);
inline constexpr int kDocNameField = 1;

enum EMenuFlags : unsigned
{
    MF_STRING = 0,
    MF_SEPARATOR = 1u << 0,
};

struct CMenuItemDef
{
    const char* m_pszText; // '&' marks the mnemonic, '\t' starts the key name
    unsigned m_nID;
    unsigned m_nFlags;
};

struct CPopupDef
{
    const char* m_pszTitle;
    std::span<const CMenuItemDef> m_items;
    bool m_bWindowList; // the list of graph windows is appended here
};

struct CMenuDef
{
    unsigned m_nID;
    std::span<const CPopupDef> m_popups;
};

// Menus 128, 129 and 102; nullptr for any other id.
const CMenuDef* FindMenu(unsigned nID);

// Keys in Qt's portable text form ("Ctrl+N", "Shift+Del"), so this table
// stays free of any toolkit.
struct CAccelDef
{
    const char* m_pszKeys;
    unsigned m_nID;
};
std::span<const CAccelDef> GetAccelerators(unsigned nID);

struct CToolBarButtonDef
{
    unsigned m_nID; // 0 for a separator
    int m_nImage;   // 1-based index into the image strip; 0 for a separator
};
inline constexpr int kToolBarImageWidth = 22;
inline constexpr int kToolBarImageHeight = 21;
inline constexpr int kToolBarButtonWidth = 29;
inline constexpr int kToolBarButtonHeight = 28;
inline constexpr int kToolBarImageCount = 8;
std::span<const CToolBarButtonDef> GetToolBar(unsigned nID);
// Resource path of toolbar image nImage (1 to 8).
const char* GetToolBarImagePath(int nImage);

// Resource paths of the program icon (128) and the document icon (129).
const char* GetIconPath(unsigned nID);

const CDialogTemplate* FindDialog(unsigned nID);

} // namespace res
