// Texts of tracelo-export, the command-line tool.
#pragma once

namespace res
{

inline constexpr char kExportUsage[] =
    "Uso: tracelo-export FILEGRAFICO --format FORMATO [-o USCITA] [--size LxA]";

inline constexpr char kExportHelp[] =
    "Legge un grafico di Tracelo e lo esporta senza aprire finestre.\n"
    "Il linguaggio delle espressioni è descritto in tracelo(1), sezione\n"
    "ESPRESSIONI (man tracelo).\n"
    "\n"
    "Opzioni:\n"
    "  --format FORMATO       il formato dell'uscita (se manca, quello che\n"
    "                         l'estensione di USCITA nomina)\n"
    "  -o, --output USCITA    il file da scrivere; senza, lo standard output\n"
    "  --size LxA             larghezza e altezza di un'immagine in pixel, come\n"
    "                         l'area di una finestra del grafico (800x600)\n"
    "  -h, --help             mostra questo aiuto ed esce\n"
    "      --version          mostra la versione ed esce\n"
    "\n"
    "Formati:\n";

inline constexpr char kExportExitStatus[] =
    "\n"
    "Esce con 0 se riesce, con 1 se il grafico non si apre o l'uscita non si\n"
    "scrive (il messaggio va sullo standard error), con 2 per un uso errato.\n";

inline constexpr char kFormatTableHelp[] = "i campioni di ogni funzione, in CSV: function,x,y";
inline constexpr char kFormatGraphHelp[] = "il grafico, di nuovo nel formato di Tracelo";
inline constexpr char kFormatPngHelp[] = "il grafico come immagine PNG, su fondo bianco";
inline constexpr char kFormatSvgHelp[] = "il grafico come disegno vettoriale SVG";
inline constexpr char kFormatPdfHelp[] = "il grafico come pagina PDF vettoriale";
inline constexpr char kFormatEmfHelp[] =
    "il grafico come Enhanced Metafile, su un quadrato che segue le divisioni";

// %1 is what was given.
inline constexpr char kExportUnknownFormat[] = "formato sconosciuto: %1";
inline constexpr char kExportUnknownOption[] = "opzione sconosciuta: %1";
inline constexpr char kExportMissingValue[] = "manca il valore di %1";
inline constexpr char kExportMissingFormat[] = "manca --format";
inline constexpr char kExportMissingGraph[] = "manca il file del grafico";
inline constexpr char kExportExtraArgument[] = "argomento in più: %1";
inline constexpr char kExportRepeatedOption[] = "opzione ripetuta: %1";
inline constexpr char kExportBadSize[] = "dimensione non valida: %1 (LxA, da 1 a 8192 pixel)";

// The name of standard output in messages.
inline constexpr char kStandardOutput[] = "standard output";

} // namespace res
