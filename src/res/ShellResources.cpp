#include "res/ShellResources.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "res/ProgramInfo.h"

namespace res
{

namespace
{

struct CStringDef
{
    unsigned m_nID;
    const char* m_pszText;
};

// Sorted by id.
constexpr CStringDef kStrings[] = {
    {ID_INDICATOR_DATE, "Date"},
    {ID_INDICATOR_TIME, "Time"},
    {IDS_MEMORY_FORMAT, "%lu KB"},
    {IDS_DISK_FREE_FORMAT, "%lu KB Free on %c:"},
    {IDS_DISK_UNAVAILABLE, "Unavailable"},
    {IDR_MAINFRAME, "Tracelo"},
    {IDR_GRAPHTYPE, "\nTracel\nTracel\n\n\nTracelo.Document\nTracel Document"},
    {AFX_IDS_APP_TITLE, "Tracelo"},
    {AFX_IDS_IDLEMESSAGE, "Pronto"},
    {ID_FILE_NEW, "Crea un nuovo documento\nNuovo"},
    {ID_FILE_OPEN, "Apre un documento esistente\nApri"},
    {ID_FILE_CLOSE, "Chiude il documento attivo\nChiudi"},
    {ID_FILE_SAVE, "Salva il documento attivo\nSalva"},
    {ID_FILE_SAVE_AS, "Salva il documento attivo con un nuovo nome\nSalva con nome"},
    {ID_FILE_PRINT_SETUP,
     "Modifica le impostazioni relative alla stampante e alla stampa\nImposta stampante"},
    {ID_FILE_PRINT, "Stampa il documento attivo\nStampa"},
    {ID_FILE_PRINT_PREVIEW, "Visualizza le pagine per intero\nAnteprima di stampa"},
    {57616, "Apre questo documento"},
    {57617, "Apre questo documento"},
    {57618, "Apre questo documento"},
    {57619, "Apre questo documento"},
    {57620, "Apre questo documento"},
    {57621, "Apre questo documento"},
    {57622, "Apre questo documento"},
    {57623, "Apre questo documento"},
    {57624, "Apre questo documento"},
    {57625, "Apre questo documento"},
    {57626, "Apre questo documento"},
    {57627, "Apre questo documento"},
    {57628, "Apre questo documento"},
    {57629, "Apre questo documento"},
    {57630, "Apre questo documento"},
    {57631, "Apre questo documento"},
    {ID_EDIT_COPY, "Copia la selezione e la pone negli Appunti\nCopia"},
    {ID_EDIT_CUT, "Taglia la selezione e la pone negli Appunti\nTaglia"},
    {ID_EDIT_PASTE, "Elimina una funzione dal grafico"},
    {ID_EDIT_UNDO, "Annulla l'ultima azione\nAnnulla"},
    {ID_WINDOW_NEW, "Apre un'altra finestra per il documento attivo\nNuova finestra"},
    {ID_WINDOW_ARRANGE, "Dispone le icone nella parte inferiore della finestra\nDisponi icone"},
    {ID_WINDOW_CASCADE, "Dispone le finestre sovrapponendole\nSovrapponi finestre"},
    {ID_WINDOW_TILE_HORZ, "Dispone le finestre senza sovrapporle\nAffianca finestre"},
    {ID_APP_ABOUT, "Visualizza le informazioni sul programma, il numero di versione e le "
                   "informazioni di copyright\nInformazioni su"},
    {ID_APP_EXIT, "Esce dall'applicazione e chiede di salvare i documenti\nEsci"},
    {ID_NEXT_PANE, "Passa al riquadro della finestra successivo\nRiquadro successivo"},
    {ID_PREV_PANE, "Ritorna al riquadro della finestra precedente\nRiquadro precedente"},
    {ID_INDICATOR_CAPS, "MA"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "BS"},
    {ID_VIEW_TOOLBAR,
     "Mostra o nasconde la barra degli strumenti\nMostra/nascondi barra degli strumenti"},
    {ID_VIEW_STATUS_BAR, "Mostra o nasconde la barra di stato\nMostra/nascondi barra di stato"},
    {AFX_IDS_UNREG_DONE, "Le voci del registro di sistema sono state rimosse e il file .INI "
                         "(se presente) è stato rimosso."},
    {AFX_IDS_UNREG_FAILURE,
     "Non tutte le voci del registro di sistema (o il file .INI) sono state rimosse."},
    {AFX_IDM_FIRST_MDICHILD + 0, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 1, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 2, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 3, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 4, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 5, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 6, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 7, kActivateWindowPrompt},
    {AFX_IDM_FIRST_MDICHILD + 8, kActivateWindowPrompt},
    {ID_WINDOW_MORE, kActivateWindowPrompt},
};

constexpr bool IsSorted()
{
    for (std::size_t i = 1; i < std::size(kStrings); ++i)
    {
        if (kStrings[i - 1].m_nID >= kStrings[i].m_nID)
        {
            return false;
        }
    }
    return true;
}
static_assert(IsSorted(), "the string table must be sorted by id without duplicates");

// Menu 128: no graph open.
constexpr CMenuItemDef kMainFile[] = {
    {"&Nuovo\tCtrl+N", ID_FILE_NEW, MF_STRING},
    {"&Apri...\tCtrl+A", ID_FILE_OPEN, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Imposta s&tampante...", ID_FILE_PRINT_SETUP, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Ultimo file usato", ID_FILE_MRU_FILE1, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"&Esci", ID_APP_EXIT, MF_STRING},
};
constexpr CMenuItemDef kView[] = {
    {"Barra degli st&rumenti", ID_VIEW_TOOLBAR, MF_STRING},
    {"Barra di st&ato", ID_VIEW_STATUS_BAR, MF_STRING},
};
constexpr CMenuItemDef kHelp[] = {
    {"Infor&mazioni su Tracelo...", ID_APP_ABOUT, MF_STRING},
};
constexpr CPopupDef kMainPopups[] = {
    {"&File", kMainFile, false},
    {"&Visualizza", kView, false},
    {"&?", kHelp, false},
};

// Menu 129: a graph window active.
constexpr CMenuItemDef kGraphFile[] = {
    {"&Nuovo\tCtrl+N", ID_FILE_NEW, MF_STRING},
    {"&Apri...\tCtrl+A", ID_FILE_OPEN, MF_STRING},
    {"&Chiudi", ID_FILE_CLOSE, MF_STRING},
    {"&Salva\tCtrl+S", ID_FILE_SAVE, MF_STRING},
    {"Sa&lva con nome...", ID_FILE_SAVE_AS, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Stam&pa...\tCtrl+P", ID_FILE_PRINT, MF_STRING},
    {"Antepri&ma di stampa", ID_FILE_PRINT_PREVIEW, MF_STRING},
    {"Imposta s&tampante...", ID_FILE_PRINT_SETUP, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Ultimo file usato", ID_FILE_MRU_FILE1, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"&Esci", ID_APP_EXIT, MF_STRING},
};
constexpr CMenuItemDef kGraphEdit[] = {
    {"&Annulla\tCtrl+Z", ID_EDIT_UNDO, MF_STRING},  {nullptr, 0, MF_SEPARATOR},
    {"Tag&lia\tCtrl+X", ID_EDIT_CUT, MF_STRING},    {"&Copia\tCtrl+C", ID_EDIT_COPY, MF_STRING},
    {"&Incolla\tCtrl+V", ID_EDIT_PASTE, MF_STRING},
};
constexpr CMenuItemDef kGraphWindow[] = {
    {"&Nuova finestra", ID_WINDOW_NEW, MF_STRING},
    {"&Sovrapponi", ID_WINDOW_CASCADE, MF_STRING},
    {"&Affianca", ID_WINDOW_TILE_HORZ, MF_STRING},
    {"&Disponi icone", ID_WINDOW_ARRANGE, MF_STRING},
};
constexpr CPopupDef kGraphPopups[] = {
    {"&File", kGraphFile, false},  {"&Modifica", kGraphEdit, false},
    {"&Visualizza", kView, false}, {"Fi&nestra", kGraphWindow, true},
    {"&?", kHelp, false},
};

// Menu 102: the context menu of a graph window.
constexpr CMenuItemDef kGraphPopupItems[] = {
    {"Modifica parametri", ID_EDIT_PARAMETERS, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Nuova Funzione", ID_FUNCTION_NEW, MF_STRING},
    {"Modifica Funzione", ID_FUNCTION_EDIT, MF_STRING},
    {"Elimina Funzione", ID_FUNCTION_DELETE, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Esporta Metafile", ID_EXPORT_METAFILE, MF_STRING},
    {nullptr, 0, MF_SEPARATOR},
    {"Ops!", ID_OPS, MF_STRING},
};
constexpr CPopupDef kGraphPopup[] = {
    {"_POPUP_", kGraphPopupItems, false},
};

constexpr CMenuDef kMenus[] = {
    {IDR_MAINFRAME, kMainPopups},
    {IDR_GRAPHTYPE, kGraphPopups},
    {IDR_GRAPH_POPUP, kGraphPopup},
};

// Ctrl+A opens as well: the File menu names that key for Open.
constexpr CAccelDef kMainAccel[] = {
    {"Ctrl+N", ID_FILE_NEW},         {"Ctrl+O", ID_FILE_OPEN},   {"Ctrl+A", ID_FILE_OPEN},
    {"Ctrl+S", ID_FILE_SAVE},        {"Ctrl+P", ID_FILE_PRINT},  {"Ctrl+Z", ID_EDIT_UNDO},
    {"Alt+Backspace", ID_EDIT_UNDO}, {"Ctrl+X", ID_EDIT_CUT},    {"Shift+Del", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},        {"Ctrl+Ins", ID_EDIT_COPY}, {"Ctrl+V", ID_EDIT_PASTE},
    {"Shift+Ins", ID_EDIT_PASTE},    {"F6", ID_NEXT_PANE},       {"Shift+F6", ID_PREV_PANE},
};

constexpr CToolBarButtonDef kMainToolBar[] = {
    {ID_FILE_NEW, 1},   {ID_FILE_OPEN, 2},
    {ID_FILE_SAVE, 3},  {0, 0},
    {ID_EDIT_CUT, 4},   {ID_EDIT_COPY, 5},
    {ID_EDIT_PASTE, 6}, {0, 0},
    {ID_FILE_PRINT, 7}, {0, 0},
    {ID_APP_ABOUT, 8},
};

constexpr const char* kToolBarImages[kToolBarImageCount] = {
    ":/tracelo/icons/new.svg",   ":/tracelo/icons/open.svg",  ":/tracelo/icons/save.svg",
    ":/tracelo/icons/cut.svg",   ":/tracelo/icons/copy.svg",  ":/tracelo/icons/paste.svg",
    ":/tracelo/icons/print.svg", ":/tracelo/icons/about.svg",
};

constexpr CControlTemplate kAboutControls[] = {
    {EControlKind::StaticIcon, IDC_STATIC, "128", 13, 14, 21, 20, CS_NONE},
    {EControlKind::StaticText, IDC_STATIC, "Tracelo Versione 1.0", 39, 14, 119, 8,
     CS_LEFT | CS_NOPREFIX | CS_GROUP},
    {EControlKind::StaticText, IDC_STATIC, kAboutNotice, 40, 25, 119, 8, CS_LEFT | CS_GROUP},
    {EControlKind::DefPushButton, IDOK, "OK", 178, 7, 50, 14, CS_GROUP | CS_TABSTOP},
    {EControlKind::StaticText, IDC_FREE_MEMORY, "0", 102, 50, 114, 10, CS_LEFT | CS_GROUP},
    {EControlKind::StaticText, IDC_STATIC, "Free Memory", 53, 49, 44, 11, CS_RIGHT | CS_GROUP},
    {EControlKind::StaticText, IDC_FREE_DISK, "0", 103, 66, 118, 10, CS_LEFT | CS_GROUP},
    {EControlKind::StaticText, IDC_STATIC, "Free Disk", 54, 66, 44, 11, CS_RIGHT | CS_GROUP},
};

constexpr CDialogTemplate kAboutBox = {
    IDD_ABOUTBOX, "Informazioni su Tracelo", 0, 0, 235, 93, "MS Sans Serif", 8, kAboutControls,
};

std::string CommandStringPart(unsigned nID, bool bTooltip)
{
    const char* psz = LoadString(nID);
    if (psz == nullptr)
    {
        return {};
    }
    const char* pszNewline = std::strchr(psz, '\n');
    if (!bTooltip)
    {
        return pszNewline ? std::string(psz, pszNewline) : std::string(psz);
    }
    return pszNewline ? std::string(pszNewline + 1) : std::string();
}

} // namespace

const char* LoadString(unsigned nID)
{
    const auto* it =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), nID,
                         [](const CStringDef& s, unsigned id) { return s.m_nID < id; });
    if (it == std::end(kStrings) || it->m_nID != nID)
    {
        return nullptr;
    }
    return it->m_pszText;
}

std::string GetCommandPrompt(unsigned nID)
{
    return CommandStringPart(nID, false);
}

std::string GetCommandTooltip(unsigned nID)
{
    return CommandStringPart(nID, true);
}

std::string GetDocString(unsigned nTemplateID, int nField)
{
    const char* psz = LoadString(nTemplateID);
    if (psz == nullptr || nField < 0)
    {
        return {};
    }
    std::string str(psz);
    std::size_t nBegin = 0;
    for (int i = 0; i < nField; ++i)
    {
        nBegin = str.find('\n', nBegin);
        if (nBegin == std::string::npos)
        {
            return {};
        }
        ++nBegin;
    }
    const std::size_t nEnd = str.find('\n', nBegin);
    return str.substr(nBegin, nEnd == std::string::npos ? std::string::npos : nEnd - nBegin);
}

const CMenuDef* FindMenu(unsigned nID)
{
    for (const CMenuDef& menu : kMenus)
    {
        if (menu.m_nID == nID)
        {
            return &menu;
        }
    }
    return nullptr;
}

std::span<const CAccelDef> GetAccelerators(unsigned nID)
{
    if (nID == IDR_MAINFRAME)
    {
        return kMainAccel;
    }
    return {};
}

std::span<const CToolBarButtonDef> GetToolBar(unsigned nID)
{
    if (nID == IDR_MAINFRAME)
    {
        return kMainToolBar;
    }
    return {};
}

const char* GetToolBarImagePath(int nImage)
{
    if (nImage < 1 || nImage > kToolBarImageCount)
    {
        return nullptr;
    }
    return kToolBarImages[nImage - 1];
}

const char* GetIconPath(unsigned nID)
{
    switch (nID)
    {
    case IDR_MAINFRAME:
        return ":/tracelo/icons/tracelo.svg";
    case IDR_GRAPHTYPE:
        return ":/tracelo/icons/graph.svg";
    default:
        return nullptr;
    }
}

const CDialogTemplate* FindDialog(unsigned nID)
{
    if (nID == IDD_ABOUTBOX)
    {
        return &kAboutBox;
    }
    return nullptr;
}

} // namespace res
