#pragma once

namespace orvel {

// Registers Qt's image readers as the first picture decoder (see
// media/PictureDecoder.h); repeated calls do nothing. The program and the
// tests that show pictures call it at start.
void RegisterQtPictureDecoder();
void UnregisterQtPictureDecoder();

} // namespace orvel
