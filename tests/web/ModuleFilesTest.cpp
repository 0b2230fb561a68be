// The file calls the controller and the C++ library make, each with what it answered: run natively
// in an empty folder and in the page's module files (web/ModuleFiles.js) under Node.js, the two
// logs must be the same (compare-files.sh). Paths are relative, so the folder is the one there is.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* errnoName(int number) {
    struct Name {
        int number;
        const char* name;
    };
    static const Name names[] = {
        {0, "ok"},
        {ENOENT, "ENOENT"},
        {EISDIR, "EISDIR"},
        {ENOTDIR, "ENOTDIR"},
        {EEXIST, "EEXIST"},
        {EBADF, "EBADF"},
        {EINVAL, "EINVAL"},
        {ENOTTY, "ENOTTY"},
        {EBUSY, "EBUSY"},
        {EACCES, "EACCES"},
        {EPERM, "EPERM"},
        {ESPIPE, "ESPIPE"},
        {ENOTEMPTY, "ENOTEMPTY"},
    };
    for (const Name& name : names) {
        if (name.number == number) {
            return name.name;
        }
    }
    return "another error";
}

void say(const char* what, bool ok) {
    std::printf("%s: %s\n", what, ok ? "ok" : errnoName(errno));
    errno = 0;
}

void sayCode(const char* what, const std::error_code& ec) {
    std::printf("%s: %s\n", what, errnoName(ec.value()));
}

std::vector<char> pattern(size_t size, char seed) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + i * 7);
    }
    return bytes;
}

std::vector<char> contents(const char* path) {
    std::vector<char> bytes;
    if (std::FILE* in = std::fopen(path, "rb")) {
        char chunk[1000];
        size_t count = 0;
        while ((count = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        std::fclose(in);
    }
    return bytes;
}

void sayContents(const char* path) {
    const std::vector<char> bytes = contents(path);
    unsigned sum = 0;
    for (char byte : bytes) {
        sum = sum * 31 + static_cast<unsigned char>(byte);
    }
    std::printf("%s: %zu bytes, sum %08x\n", path, bytes.size(), sum);
}

void writeWhole(const char* path, const char* mode, const std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path, mode);
    say("fopen for writing", file != nullptr);
    if (file != nullptr) {
        say("fwrite", std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
        say("fflush", std::fflush(file) == 0);
        say("fsync", ::fsync(::fileno(file)) == 0);
        say("fclose", std::fclose(file) == 0);
    }
}

} // namespace

int main() {
    std::error_code ec;
    // A missing file; the folder.
    say("fopen rb of a missing file", std::fopen("Flash.dat", "rb") != nullptr);
    std::printf("exists: %d\n", fs::exists("Flash.dat", ec) ? 1 : 0);
    std::printf("is_directory of the folder: %d, of a missing file: %d\n",
                fs::is_directory(".", ec) ? 1 : 0, fs::is_directory("Flash.dat", ec) ? 1 : 0);
    say("fopen wb of the folder", std::fopen(".", "wb") != nullptr);
    say("fopen wb in a missing folder", std::fopen("missing/Flash.dat", "wb") != nullptr);

    // Created empty by "ab", as the controller's load does; then written whole.
    if (std::FILE* create = std::fopen("Flash.dat", "ab")) {
        std::fclose(create);
    }
    sayContents("Flash.dat");
    say("fopen rb of a file as a folder", std::fopen("Flash.dat/x", "rb") != nullptr);
    say("fopen rb below a file as a folder", std::fopen("Flash.dat/x/y", "rb") != nullptr);
    writeWhole("Flash.dat", "wb", pattern(3000, 1));
    sayContents("Flash.dat");
    std::printf("size: %ju\n", static_cast<uintmax_t>(fs::file_size("Flash.dat", ec)));

    // The rest past the image, read after a seek.
    if (std::FILE* in = std::fopen("Flash.dat", "rb")) {
        say("fseek", std::fseek(in, 2048, SEEK_SET) == 0);
        char rest[2000];
        std::printf("read past 2048: %zu\n", std::fread(rest, 1, sizeof rest, in));
        std::printf("at end: %d, ftell %ld\n", std::feof(in) ? 1 : 0, std::ftell(in));
        say("fseek before the start", std::fseek(in, -1, SEEK_SET) == 0);
        std::fclose(in);
    }

    // Overwritten in place: the length stays.
    writeWhole("Flash.dat", "r+b", pattern(2048, 9));
    sayContents("Flash.dat");

    // Appended to after a seek to the start; written past the end, leaving zeros between.
    if (std::FILE* file = std::fopen("Flash.dat", "ab")) {
        std::fseek(file, 0, SEEK_SET);
        std::fwrite("tail", 1, 4, file);
        std::fclose(file);
    }
    if (std::FILE* file = std::fopen("Flash.dat", "r+b")) {
        std::fseek(file, 5000, SEEK_SET);
        std::fwrite("far", 1, 3, file);
        std::fclose(file);
    }
    sayContents("Flash.dat");

    // The safe save: a new file beside it, renamed over it. A reader that opened the old file
    // before still reads the old bytes.
    std::FILE* before = std::fopen("Flash.dat", "rb");
    writeWhole("Flash.dat.saving", "wb", pattern(2100, 3));
    fs::permissions("Flash.dat.saving", fs::status("Flash.dat", ec).permissions(), ec);
    sayCode("permissions", ec);
    fs::rename("Flash.dat.saving", "Flash.dat", ec);
    sayCode("rename over", ec);
    std::printf("temporary left: %d\n", fs::exists("Flash.dat.saving", ec) ? 1 : 0);
    sayContents("Flash.dat");
    if (before != nullptr) {
        char first[4] = {};
        const size_t count = std::fread(first, 1, sizeof first, before);
        std::printf("the old file still reads %zu bytes, first %d\n", count, first[0]);
        std::fclose(before);
    }

    // Truncated by "wb"; exclusive creation; renames and removals that fail.
    writeWhole("Other.dat", "wb", pattern(10, 5));
    writeWhole("Other.dat", "wb", pattern(4, 6));
    sayContents("Other.dat");
    say("open O_CREAT|O_EXCL of an existing file",
        ::open("Other.dat", O_WRONLY | O_CREAT | O_EXCL, 0644) >= 0);
    fs::rename("Missing.dat", "Other.dat", ec);
    sayCode("rename of a missing file", ec);
    std::printf("remove: %d\n", fs::remove("Other.dat", ec) ? 1 : 0);
    sayCode("remove", ec);
    std::printf("remove of a missing file: %d\n", fs::remove("Other.dat", ec) ? 1 : 0);
    sayCode("remove of a missing file", ec);
    say("unlink of the folder", ::unlink(".") == 0);
    say("rmdir of a file", ::rmdir("Flash.dat") == 0);
    say("rmdir of a missing folder", ::rmdir("missing") == 0);

    // A file read while it is unlinked; descriptors that are not open.
    const int fd = ::open("Flash.dat", O_RDONLY);
    say("unlink of an open file", ::unlink("Flash.dat") == 0);
    char byte = 0;
    std::printf("read after unlink: %zd\n", ::read(fd, &byte, 1));
    say("write to a descriptor open for reading", ::write(fd, "x", 1) == 1);
    say("close", ::close(fd) == 0);
    say("close again", ::close(fd) == 0);
    say("read of a closed descriptor", ::read(fd, &byte, 1) >= 0);
    std::printf("exists after unlink: %d\n", fs::exists("Flash.dat", ec) ? 1 : 0);
    struct stat info = {};
    say("stat of a missing file", ::stat("Flash.dat", &info) == 0);
    say("stat of the folder", ::stat(".", &info) == 0);
    std::printf("the folder is a directory: %d\n", S_ISDIR(info.st_mode) ? 1 : 0);
    return 0;
}
