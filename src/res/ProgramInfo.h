// What the programs say about themselves: the version line and licence of
// --version, tracelo's --help, and the application id under which the
// desktop entry, the icon and the metainfo are installed (the build reads
// the id and the version numbers from this file).
#pragma once

#include <cstdint>
#include <string>

#include "res/ShellResources.h"

namespace res
{

// Reverse-DNS, so the desktop matches the running window to its entry.
inline constexpr char kAppId[] = "org.tracelo.Tracelo";

// File and product version of the version block.
inline constexpr std::uint16_t kVersionNumbers[4] = {1, 0, 0, 1};

inline constexpr char kLicenceNotice[] =
    "Licenza GPL-2.0-or-later: GNU GPL versione 2 o successiva\n"
    "<https://www.gnu.org/licenses/old-licenses/gpl-2.0.html>.\n"
    "Questo è software libero: si è liberi di modificarlo e ridistribuirlo.\n"
    "Non c'è ALCUNA GARANZIA, nei limiti consentiti dalla legge.\n";

inline constexpr char kTraceloHelp[] =
    "Uso: tracelo [FILE]\n"
    "     tracelo /p FILE\n"
    "     tracelo /pt FILE STAMPANTE DRIVER PORTA\n"
    "     tracelo /Unregister\n"
    "\n"
    "Disegna funzioni di X su un grafico cartesiano. Senza argomenti apre un\n"
    "grafico nuovo, Tracel1.\n"
    "\n"
    "  FILE          apre il grafico salvato in FILE\n"
    "  /p FILE       stampa FILE sulla stampante predefinita senza mostrare la\n"
    "                finestra, poi esce\n"
    "  /pt FILE STAMPANTE DRIVER PORTA\n"
    "                come /p, sulla stampante STAMPANTE\n"
    "  /Unregister   cancella le impostazioni di Tracelo (file recenti, pagine\n"
    "                dell'anteprima), lo conferma in un messaggio ed esce\n"
    "  --help        mostra questo aiuto ed esce\n"
    "  --version     mostra la versione ed esce\n"
    "\n"
    "Ogni comando si scrive anche con '-' al posto di '/'; p e pt solo in\n"
    "minuscolo, Unregister (o Unregserver) in qualunque forma. Gli altri\n"
    "comandi sono ignorati.\n";

// "Tracelo 1.0.0.1"
inline std::string VersionLine()
{
    std::string strLine = kAppName;
    for (int i = 0; i < 4; ++i)
    {
        strLine += i == 0 ? ' ' : '.';
        strLine += std::to_string(kVersionNumbers[i]);
    }
    return strLine;
}

// The text of --version: the version line, the copyright and the licence.
inline std::string VersionText()
{
    return VersionLine() + "\n" + kAboutNotice + "\n" + kLicenceNotice;
}

} // namespace res
