// Texts of printing and print set-up.
#pragma once

namespace res
{

// Printing could not start: no printer, an unknown printer named on the
// command line, or a printer that refused the job.
inline constexpr char kFailedToStartPrint[] = "Impossibile avviare il processo di stampa.";

// Title of the printer set-up dialog and its confirming button.
inline constexpr char kPrintSetupTitle[] = "Imposta stampante";
inline constexpr char kPrintSetupOk[] = "OK";

// The metafile export's file dialog: the default extension and the name
// first shown, which lists the metafiles of the folder.
inline constexpr char kMetafileExtension[] = "emf";
inline constexpr char kMetafileInitialName[] = "*.emf";

} // namespace res
