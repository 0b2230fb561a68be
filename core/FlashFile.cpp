#include "core/FlashFile.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"
#include "core/Platform.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace kv410 {

std::string FlashFilePath = "Flash.dat";

namespace {

constexpr int PersistedBytes = PersistedFlashWords * 2;
constexpr char FileErrorCaption[] = "File Access Error";
constexpr char LoadFailedText[] = "Could not open or create file FLASH.DAT";
constexpr char SaveOpenFailedText[] = "Could not open file Flash.DAT";
constexpr char SaveWriteFailedText[] = "Could not write file Flash.DAT";

namespace fs = std::filesystem;

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

enum class WriteResult { Done, OpenFailed, WriteFailed };

// Writes the whole buffer to a new file and makes sure it has reached the disk.
WriteResult writeNewFile(const std::string& path, const std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return WriteResult::OpenFailed;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
#if defined(__unix__) || defined(__APPLE__)
    ok = ok && ::fsync(::fileno(file)) == 0;
#endif
    ok = std::fclose(file) == 0 && ok;
    return ok ? WriteResult::Done : WriteResult::WriteFailed;
}

// Overwrites the start of an existing file; the way left when no new file can be made beside it.
bool overwriteInPlace(const std::string& path, const std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    return std::fclose(file) == 0 && ok;
}

// The bytes of an open file from `offset` to its end.
void appendRest(std::FILE* file, long offset, std::vector<char>& bytes) {
    if (std::fseek(file, offset, SEEK_SET) != 0) {
        return;
    }
    char chunk[4096];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
}

bool reportSaveOpenFailure() {
    platform().showMessageBox(SaveOpenFailedText, FileErrorCaption, MessageButtons::Ok);
    return false;
}

bool reportSaveWriteFailure() {
    platform().showMessageBox(SaveWriteFailedText, FileErrorCaption, MessageButtons::Ok);
    return false;
}

// The temporary file a save writes first: beside the file, and this process's own, so that two
// programs saving the same file never write into one temporary file.
std::string temporaryName() {
#if defined(__unix__) || defined(__APPLE__)
    return FlashFilePath + ".saving." + std::to_string(::getpid());
#else
    return FlashFilePath + ".saving";
#endif
}

} // namespace

std::vector<char> flashImageBytes() {
    std::vector<char> bytes(PersistedBytes);
    for (int n = 0; n < PersistedFlashWords; ++n) {
        bytes[2 * n] = static_cast<char>(FlashImage[n] & 0xFF);
        bytes[2 * n + 1] = static_cast<char>(FlashImage[n] >> 8);
    }
    return bytes;
}

void takeFlashImageBytes(const char* bytes, size_t count) {
    count = count < PersistedBytes ? count : PersistedBytes;
    for (size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<uint16_t>(static_cast<unsigned char>(bytes[i]));
        const size_t n = i / 2;
        FlashImage[n] = (i % 2 == 0) ? static_cast<uint16_t>((FlashImage[n] & 0xFF00) | byte)
                                     : static_cast<uint16_t>((FlashImage[n] & 0x00FF) | byte << 8);
    }
}

bool readFlashImageFile(const std::string& path) {
    if (isDirectory(path)) {
        return false;
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    char bytes[PersistedBytes];
    const size_t count = std::fread(bytes, 1, PersistedBytes, in);
    std::fclose(in);
    takeFlashImageBytes(bytes, count);
    return true;
}

bool flashImageSigned() {
    for (int word : SignatureCells) {
        if (readFlashWord(word) != word) {
            return false;
        }
    }
    return true;
}

std::string flashImageProblem(size_t size) {
    if (size != static_cast<size_t>(PersistedBytes)) {
        return std::to_string(size) + " bytes; a Flash.dat has " + std::to_string(PersistedBytes);
    }
    if (!flashImageSigned()) {
        return "no signature in flash words 49, 51 and 53; the unit would start from factory "
               "values, so this is no Flash.dat it wrote";
    }
    return "";
}

void loadFlashFile() {
    if (!isDirectory(FlashFilePath)) {
        // Opening for reading creates a missing file, empty.
        if (std::FILE* create = std::fopen(FlashFilePath.c_str(), "ab")) {
            std::fclose(create);
        }
    }
    if (!readFlashImageFile(FlashFilePath)) {
        platform().showMessageBox(LoadFailedText, FileErrorCaption, MessageButtons::OkCancel);
    }
}

bool saveFlashFile() {
    std::vector<char> bytes = flashImageBytes();

    // The existing file must open for writing, as the save would in place; what lies past the
    // image in a longer file is carried over.
    std::error_code ec;
    const bool exists = fs::exists(FlashFilePath, ec);
    if (exists) {
        if (isDirectory(FlashFilePath)) {
            return reportSaveOpenFailure();
        }
        std::FILE* existing = std::fopen(FlashFilePath.c_str(), "rb");
        std::FILE* writable = std::fopen(FlashFilePath.c_str(), "r+b");
        const bool opened = existing != nullptr && writable != nullptr;
        if (opened) {
            appendRest(existing, PersistedBytes, bytes);
        }
        for (std::FILE* file : {existing, writable}) {
            if (file != nullptr) {
                std::fclose(file);
            }
        }
        if (!opened) {
            return reportSaveOpenFailure();
        }
    }

    const std::string temporary = temporaryName();
    switch (writeNewFile(temporary, bytes)) {
    case WriteResult::Done:
        break;
    case WriteResult::OpenFailed:
        if (!exists) {
            return reportSaveOpenFailure();
        }
        if (!overwriteInPlace(FlashFilePath, bytes)) {
            return reportSaveWriteFailure();
        }
        return true;
    case WriteResult::WriteFailed:
        fs::remove(temporary, ec);
        return reportSaveWriteFailure();
    }
    if (exists) {
        fs::permissions(temporary, fs::status(FlashFilePath, ec).permissions(), ec);
    }
    fs::rename(temporary, FlashFilePath, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return reportSaveWriteFailure();
    }
    return true;
}

} // namespace kv410
