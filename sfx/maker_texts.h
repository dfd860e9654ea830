#pragma once
// The maker's own texts (code page 1252 at run time).

namespace talven::sfx::texts {

inline constexpr char kMakerTitle[] = "TLVSFX";
inline constexpr char kMakerSuccessTitle[] = "ZUL-TLVSFX 1.0";
inline constexpr char kOpenTitle[] = "ZIP-Datei laden:";
inline constexpr char kOpenPattern[] = "*.ZIP";
inline constexpr char kUsage[] = "Aufruf mit: \r\nTLVSFX [<ZIP-Datei>]";
inline constexpr char kArchiveUnreadable[] = "FEHLER: \r\nDatei kann nicht gelesen werden.";
inline constexpr char kStubMissing[] = "FEHLER: \r\nTLVSFX.BIN nicht gefunden.";
inline constexpr char kOutputNotCreated[] = "FEHLER: \r\nProgramm kann nicht erzeugt werden.";
inline constexpr char kStubReadFailed[] = "FEHLER: \r\nFehler beim Lesen von TLVSFX.BIN";
inline constexpr char kOutputWriteFailed[] = "FEHLER: \r\nFehler beim Schreiben der EXE-Datei.";
inline constexpr char kZipUnreadable[] = "FEHLER: \r\nZIP-Datei kann nicht gelesen werden.";
inline constexpr char kOutputNotFinished[] = "FEHLER: \r\nEXE-Datei kann nicht fertig erzeugt werden.";
inline constexpr char kZipReadFailed[] = "FEHLER: \r\nFehler beim Lesen der ZIP-Datei.";
inline constexpr char kMakerSuccess[] = "Selbstentpackendes Archiv erfolgreich erzeugt!";

}  // namespace talven::sfx::texts
