#pragma once

namespace orvel {

// The most memory, in megabytes, that Qt's readers may allocate for one
// decoded picture; a larger picture fails to load.
inline constexpr int kQtPictureAllocationLimitMB = 256;

// Registers Qt's image readers as the first picture decoder (see
// media/PictureDecoder.h); repeated calls do nothing. The program and the
// tests that show pictures call it at start. It also sets Qt's allocation
// limit for decoded pictures.
void RegisterQtPictureDecoder();
void UnregisterQtPictureDecoder();

} // namespace orvel
