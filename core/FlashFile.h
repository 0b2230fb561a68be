// Flash.dat: the persisted half of the flash image.
#pragma once

#include <string>

namespace kv410 {

// The file that plays Flash.dat; "Flash.dat" in the current folder unless a front-end says else.
extern std::string FlashFilePath;

// Reads up to 2048 bytes of the file into flash words 0..1023, creating the file if missing.
void loadFlashFile();
// Writes flash words 0..1023 to the file safely (temporary file, flush, rename).
void saveFlashFile();

} // namespace kv410
