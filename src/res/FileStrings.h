// Messages of opening and saving documents. %1 stands for the file's name.
#pragma once

namespace res
{

// Opening a file
inline constexpr char kFileNotFound[] = "%1 non trovato.";
inline constexpr char kTooManyOpenFiles[] =
    "Non è stato possibile aprire %1 poiché vi sono troppi file aperti.";
inline constexpr char kFailedToOpenDoc[] = "Impossibile aprire il documento.";
inline constexpr char kUnexpectedFileFormat[] = "Formato file inatteso.";

// Opening or saving a file
inline constexpr char kAccessDenied[] = "Accesso a %1 negato.";

// Saving a file
inline constexpr char kDiskFull[] = "Disco pieno durante l'accesso a %1.";
inline constexpr char kInvalidFileName[] = "Nome file non valido.";
inline constexpr char kFailedToSaveDoc[] = "Impossibile salvare il documento.";

} // namespace res
