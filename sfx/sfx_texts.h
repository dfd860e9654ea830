#pragma once
// The extractor's own texts (code page 1252 at run time).

namespace talven::sfx::texts {

inline constexpr char kNotFoundTitle[] = "Nicht gefunden:";
inline constexpr char kNoArchive[] =
    "Das Archiv ist nicht vorhanden.\rSyntax: COPY /b TlvSfx.exe + Mein.zip Mein.exe";
inline constexpr char kProgramTitle[] = "TLVSFX";
inline constexpr char kArchiveNotFound[] = "Archiv nicht gefunden.";
inline constexpr char kArchiveErrorTitle[] = "Archiv-Fehler:";
inline constexpr char kNameNotFound[] = "Dateiname nicht gefunden.";
inline constexpr char kHeaderUnreadable[] = "Archiv-Header nicht lesbar.";
inline constexpr char kErrorTitle[] = "Fehler:";
inline constexpr char kDirectoryErrorTitle[] = "Verzeichnis-Fehler:";
inline constexpr char kCannotOpenTitle[] = "Kann Datei nicht öffnen:";
inline constexpr char kUnknownMethod[] = "Unbekannte Pack-Methode.";
inline constexpr char kMethodErrorTitle[] = "Pack-Fehler:";
inline constexpr char kCloseFailed[] = "Fehler beim Schließen der Datei.";
inline constexpr char kUnsafeNameTitle[] = "Unzulässiger Dateiname:";
inline constexpr char kSizesMissingTitle[] = "Größe fehlt im Archiv-Header:";
inline constexpr char kExtracting[] = "Entpacke: ";
inline constexpr char kAllOk[] = "Prüfsumme bei allen Dateien OK! Archiv erfolgreich entpackt!";
inline constexpr char kSomeFailed[] = "Die verbleibenden Dateien haben einen Prüfsummenfehler.";

}  // namespace talven::sfx::texts
