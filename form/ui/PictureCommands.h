#pragma once

namespace orvel {

class CFormDesigner;
class CommandMap;

// The designer's picture commands: "Grafik" (a new picture object through
// the insert-picture dialog), "Neue Größe...", "Originalgröße" and
// "Speichern unter..." on the one selected picture object, and in data mode
// "Neue Grafik..." (and a double click) on a picture field.
void RegisterPictureCommands(CFormDesigner &designer, CommandMap &map);

} // namespace orvel
