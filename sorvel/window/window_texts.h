// The window subsystem's own texts, byte for byte (Windows-1252).
#pragma once

namespace sorvel::texts {

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kRegistrationFailed = "Errore di registro per la rispettiva applicazione!";
inline constexpr const char* kCreationFailed = "Impossibile creare la finestra per la rispettiva applicazione!";
inline constexpr const char* kContextFailed = "la rispettiva applicazione non \xE8 stata inizilizata!";
inline constexpr const char* kWindowClass = "GLWindow";
inline constexpr const char* kStatusText = "Percorso file";
inline constexpr const char* kVersion = "1.0";

}  // namespace sorvel::texts
