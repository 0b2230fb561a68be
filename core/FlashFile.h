// Flash.dat: the persisted half of the flash image.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv410 {

// The file that plays Flash.dat; "Flash.dat" in the current folder unless a front-end says else.
extern std::string FlashFilePath;

// Reads up to 2048 bytes of the file into flash words 0..1023, creating the file if missing.
void loadFlashFile();
// Writes flash words 0..1023 to the file safely (a temporary file of this process beside it,
// flush, rename); false, after the message box, when the file could not be written.
bool saveFlashFile();

// Flash words 0..1023 as the file holds them: word n at byte 2n, low byte first.
std::vector<char> flashImageBytes();
// Takes up to 2048 bytes of a file's contents into flash words 0..1023, as loading does; a
// shorter file leaves the words past its end as they are.
void takeFlashImageBytes(const char* bytes, size_t count);
// Reads the file at path into flash words 0..1023 as loading does, but never creates or changes
// the file and shows no message; false when it cannot be read.
bool readFlashImageFile(const std::string& path);

// True when flash words 49, 51 and 53 carry the signature of a parameter image.
bool flashImageSigned();
// Why the image just read from a file of `size` bytes is no Flash.dat as the unit writes it (a
// size other than 2048 bytes, or no signature); empty when it is one.
std::string flashImageProblem(size_t size);

} // namespace kv410
