// The three dialogs that edit a graph (function properties 132, parameters
// 142, function selection 143) as tables, their control ids, and the colour
// palette of the function dialog with its names and icon ids.
#pragma once

#include <cstdint>

#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"

namespace res
{

inline constexpr unsigned IDD_FUNCTION = 132;
inline constexpr unsigned IDD_PARAMS = 142;
inline constexpr unsigned IDD_SELECT_FUNCTION = 143;

inline constexpr unsigned IDC_EXPRESSION = 1004;
inline constexpr unsigned IDC_COLORS = 1011;
inline constexpr unsigned IDC_XMIN = 1012;
inline constexpr unsigned IDC_GRID = 1013;
inline constexpr unsigned IDC_FUNCTIONS = 1014;
inline constexpr unsigned IDC_XMAX = 1015;
inline constexpr unsigned IDC_YMIN = 1016;
inline constexpr unsigned IDC_YMAX = 1017;
inline constexpr unsigned IDC_DIVISIONS = 1018;

inline constexpr unsigned IDI_COLOR_GREEN = 133;
inline constexpr unsigned IDI_COLOR_BLACK = 134;
inline constexpr unsigned IDI_COLOR_RED = 135;
inline constexpr unsigned IDI_COLOR_BLUE = 136;
inline constexpr unsigned IDI_COLOR_YELLOW = 137;
inline constexpr unsigned IDI_COLOR_CYAN = 138;
inline constexpr unsigned IDI_COLOR_PURPLE = 139;
inline constexpr unsigned IDI_COLOR_GREY = 146;
inline constexpr unsigned IDI_COLOR_MAGENTA = 147;

namespace edit_dialogs_detail
{

constexpr CControlTemplate kFunctionControls[] = {
    {EControlKind::PushButton, IDOK, "OK", 109, 90, 54, 15, CS_NONE},
    {EControlKind::PushButton, IDCANCEL, "Cancel", 169, 90, 54, 15, CS_NONE},
    {EControlKind::Edit, IDC_EXPRESSION, "", 5, 17, 216, 12, CS_BORDER | CS_AUTOHSCROLL},
    {EControlKind::StaticText, IDC_STATIC, "Colore", 5, 34, 38, 10, CS_LEFT},
    {EControlKind::ListView, IDC_COLORS, "List1", 7, 44, 215, 39,
     CS_SMALLICON | CS_SINGLESEL | CS_SHOWSELALWAYS | CS_AUTOARRANGE | CS_ALIGNLEFT | CS_BORDER |
         CS_TABSTOP},
    {EControlKind::StaticText, IDC_STATIC, "Funzione", 6, 4, 38, 10, CS_LEFT},
};

constexpr unsigned kParamsEdit = CS_BORDER | CS_TABSTOP | CS_AUTOHSCROLL;

constexpr CControlTemplate kParamsControls[] = {
    {EControlKind::DefPushButton, IDOK, "OK", 7, 129, 50, 14, CS_TABSTOP},
    {EControlKind::PushButton, IDCANCEL, "Cancel", 64, 129, 50, 14, CS_TABSTOP},
    {EControlKind::Edit, IDC_XMIN, "", 30, 7, 84, 12, kParamsEdit},
    {EControlKind::StaticText, IDC_STATIC, "X min", 7, 7, 22, 12, CS_LEFT | CS_GROUP},
    {EControlKind::Edit, IDC_XMAX, "", 30, 24, 84, 12, kParamsEdit},
    {EControlKind::StaticText, IDC_STATIC, "X max", 7, 24, 22, 12, CS_LEFT | CS_GROUP},
    {EControlKind::Edit, IDC_YMIN, "", 30, 42, 84, 12, kParamsEdit},
    {EControlKind::StaticText, IDC_STATIC, "Y min", 7, 42, 22, 12, CS_LEFT | CS_GROUP},
    {EControlKind::Edit, IDC_YMAX, "", 30, 60, 84, 12, kParamsEdit},
    {EControlKind::StaticText, IDC_STATIC, "Y max", 7, 60, 22, 12, CS_LEFT | CS_GROUP},
    {EControlKind::Edit, IDC_DIVISIONS, "", 58, 83, 56, 12, kParamsEdit},
    {EControlKind::StaticText, IDC_STATIC, "N. Divisioni", 19, 84, 35, 12, CS_LEFT | CS_GROUP},
    {EControlKind::CheckBox, IDC_GRID, "Griglia", 33, 102, 33, 10,
     CS_AUTOCHECKBOX | CS_LEFTTEXT | CS_TABSTOP},
};

constexpr CControlTemplate kSelectFunctionControls[] = {
    {EControlKind::DefPushButton, IDOK, "OK", 116, 104, 50, 14, CS_TABSTOP},
    {EControlKind::PushButton, IDCANCEL, "Cancel", 171, 104, 50, 14, CS_TABSTOP},
    {EControlKind::ListBox, IDC_FUNCTIONS, "", 7, 7, 214, 89,
     CS_SINGLESEL | CS_NOTIFY | CS_SORT | CS_NOINTEGRALHEIGHT | CS_VSCROLL | CS_BORDER |
         CS_TABSTOP},
};

} // namespace edit_dialogs_detail

inline constexpr CDialogTemplate kFunctionDialog = {
    IDD_FUNCTION,
    "Proprietà della Funzione...",
    0,
    0,
    230,
    109,
    "MS Sans Serif",
    8,
    edit_dialogs_detail::kFunctionControls,
};

inline constexpr CDialogTemplate kParamsDialog = {
    IDD_PARAMS,
    "Impostazione Parametri",
    0,
    0,
    121,
    150,
    "MS Sans Serif",
    8,
    edit_dialogs_detail::kParamsControls,
};

inline constexpr CDialogTemplate kSelectFunctionDialog = {
    IDD_SELECT_FUNCTION,
    "Selezionare la Funzione...",
    0,
    0,
    228,
    125,
    "MS Sans Serif",
    8,
    edit_dialogs_detail::kSelectFunctionControls,
};

// One colour of the function dialog. The icon shows m_crIcon; choosing the
// item gives the curve m_crColor, which differs only for "Giallo" (a pale
// yellow draws better on white than the icon's pure one). Both read 0xBBGGRR.
struct CPaletteEntry
{
    const char* m_pszName; // UTF-8
    unsigned m_nIconID;
    std::uint32_t m_crIcon;
    std::uint32_t m_crColor;
};

// In list order: the position is the item index and the image index.
inline constexpr CPaletteEntry kPalette[] = {
    {"Grigio", IDI_COLOR_GREY, 0x808080, 0x808080},
    {"Nero", IDI_COLOR_BLACK, 0x000000, 0x000000},
    {"Rosso", IDI_COLOR_RED, 0x0000FF, 0x0000FF},
    {"Blù", IDI_COLOR_BLUE, 0xFF0000, 0xFF0000},
    {"Giallo", IDI_COLOR_YELLOW, 0x00FFFF, 0x80FFFF},
    {"Celeste", IDI_COLOR_CYAN, 0xFFFF00, 0xFFFF00},
    {"Viola", IDI_COLOR_PURPLE, 0x800080, 0x800080},
    {"Verde", IDI_COLOR_GREEN, 0x00FF00, 0x00FF00},
    {"Fucsia", IDI_COLOR_MAGENTA, 0xFF00FF, 0xFF00FF},
};

} // namespace res
