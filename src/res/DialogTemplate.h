// A dialog as a table: caption, size and controls in dialog units, and the
// dialog's font. The tables live beside the other resources; a builder turns
// one into a window at the positions the table gives.
#pragma once

#include <cstddef>
#include <span>

namespace res
{

enum class EControlKind
{
    StaticText,
    StaticIcon,
    PushButton,
    DefPushButton,
    Edit,
    CheckBox,
    ListBox,
    ListView,
    GroupBox,
};

// Style bits a control can carry beyond its kind.
enum EControlStyle : unsigned
{
    CS_NONE = 0,
    CS_LEFT = 1u << 0,
    CS_RIGHT = 1u << 1,
    CS_CENTER = 1u << 2,
    CS_NOPREFIX = 1u << 3, // '&' is shown, not taken as a mnemonic
    CS_GROUP = 1u << 4,
    CS_TABSTOP = 1u << 5,
    CS_BORDER = 1u << 6,
    CS_AUTOHSCROLL = 1u << 7,
    CS_VSCROLL = 1u << 8,
    CS_SORT = 1u << 9,
    // Of the list controls and the check box, in the high bits so that the
    // bits above can grow without meeting them.
    CS_SINGLESEL = 1u << 20,        // one line or item selected at a time
    CS_NOTIFY = 1u << 21,           // a list box that reports clicks
    CS_NOINTEGRALHEIGHT = 1u << 22, // a list box exactly as tall as its table says
    CS_SMALLICON = 1u << 23,        // a list view of small icons with their names
    CS_SHOWSELALWAYS = 1u << 24,    // the selection stays visible without the focus
    CS_AUTOARRANGE = 1u << 25,
    CS_ALIGNLEFT = 1u << 26,    // items fill columns from the left edge
    CS_AUTOCHECKBOX = 1u << 27, // a check box that toggles by itself on click
    CS_LEFTTEXT = 1u << 28,     // the check box's text left of its box
};

struct CControlTemplate
{
    EControlKind m_eKind;
    unsigned m_nID;        // 0xFFFF for a static without id
    const char* m_pszText; // for a static icon: the icon resource's name
    int m_nX;
    int m_nY;
    int m_nWidth;
    int m_nHeight;
    unsigned m_nStyle; // EControlStyle bits
};

struct CDialogTemplate
{
    unsigned m_nID;
    const char* m_pszCaption;
    int m_nX;
    int m_nY;
    int m_nWidth;
    int m_nHeight;
    const char* m_pszFontFace;
    int m_nPointSize;
    std::span<const CControlTemplate> m_controls; // template order = tab order
};

inline constexpr unsigned IDC_STATIC = 0xFFFF;

} // namespace res
