#include "FlashFolderFixture.h"

#include "core/FlashFile.h"
#include "core/Memory.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(__linux__)
#include <csignal>
#include <sys/resource.h>
#endif

namespace kv410 {
namespace {

namespace fs = std::filesystem;

class FlashFileTest : public FlashFolderTest {
protected:
    static std::vector<unsigned char> readAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeAll(const fs::path& path, const std::vector<unsigned char>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<unsigned char> pattern(size_t size, int seed) {
        std::vector<unsigned char> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
        }
        return bytes;
    }
    fs::path file() const { return FlashFilePath; }
};

TEST_F(FlashFileTest, MissingFileIsCreatedEmptyAndSavedWhole) {
    loadFlashFile();
    EXPECT_TRUE(host.messages.empty());
    ASSERT_TRUE(fs::exists(file()));
    EXPECT_EQ(fs::file_size(file()), 0u);
    EXPECT_EQ(FlashImage[0], 0);

    FlashImage[0] = 0x1234;
    FlashImage[1023] = 0xABCD;
    FlashImage[1024] = 0x5555; // beyond the persisted half
    saveFlashFile();
    EXPECT_TRUE(host.messages.empty());
    const auto bytes = readAll(file());
    ASSERT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    EXPECT_EQ(bytes[2046], 0xCD);
    EXPECT_EQ(bytes[2047], 0xAB);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(FlashFileTest, RoundTripKeepsEveryPersistedWord) {
    for (int n = 0; n < FlashWordCount; ++n) {
        FlashImage[n] = static_cast<uint16_t>(n * 31 + 7);
    }
    saveFlashFile();
    resetMemory();
    loadFlashFile();
    for (int n = 0; n < PersistedFlashWords; ++n) {
        ASSERT_EQ(FlashImage[n], static_cast<uint16_t>(n * 31 + 7)) << "word " << n;
    }
    EXPECT_EQ(FlashImage[1024], 0);
    EXPECT_EQ(FlashImage[2047], 0);
}

TEST_F(FlashFileTest, ShortFileFillsOnlyTheWordsItCovers) {
    const auto bytes = pattern(101, 1);
    writeAll(file(), bytes);
    loadFlashFile();
    EXPECT_EQ(FlashImage[0], bytes[0] | bytes[1] << 8);
    EXPECT_EQ(FlashImage[49], bytes[98] | bytes[99] << 8);
    EXPECT_EQ(FlashImage[50], bytes[100]); // the odd last byte is the low byte alone
    EXPECT_EQ(FlashImage[51], 0);
}

TEST_F(FlashFileTest, LongerFileIsReadToTwoKilobytesAndKeepsItsTail) {
    const auto old = pattern(3000, 3);
    writeAll(file(), old);
    loadFlashFile();
    EXPECT_EQ(FlashImage[1023], old[2046] | old[2047] << 8);
    EXPECT_EQ(FlashImage[1024], 0);

    FlashImage[5] = 0xBEEF;
    saveFlashFile();
    EXPECT_TRUE(host.messages.empty());
    const auto bytes = readAll(file());
    ASSERT_EQ(bytes.size(), 3000u);
    EXPECT_EQ(bytes[10], 0xEF);
    EXPECT_EQ(bytes[11], 0xBE);
    EXPECT_TRUE(std::equal(old.begin() + 2048, old.end(), bytes.begin() + 2048));
}

TEST_F(FlashFileTest, OpenFailuresAreReportedAndChangeNothing) {
    fs::create_directory(file()); // a folder in the file's place
    FlashImage[3] = 9;
    loadFlashFile();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Could not open or create file FLASH.DAT");
    EXPECT_EQ(host.messages[0].caption, "File Access Error");
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(FlashImage[3], 9);

    saveFlashFile();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, "Could not open file Flash.DAT");
    EXPECT_EQ(host.messages[1].caption, "File Access Error");
    EXPECT_EQ(host.messages[1].buttons, MessageButtons::Ok);
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_TRUE(fs::is_empty(file()));
}

TEST_F(FlashFileTest, FileInAMissingFolderCannotBeOpenedOrCreated) {
    FlashFilePath = (folder / "nowhere" / "Flash.dat").string();
    loadFlashFile();
    saveFlashFile();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "Could not open or create file FLASH.DAT");
    EXPECT_EQ(host.messages[1].text, "Could not open file Flash.DAT");
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

#if defined(__linux__)
TEST_F(FlashFileTest, FailedWriteIsReportedAndTheOldFileStaysWhole) {
    const auto old = pattern(2500, 5);
    writeAll(file(), old);
    for (int n = 0; n < PersistedFlashWords; ++n) {
        FlashImage[n] = 0x7777;
    }

    // Files may grow to 1000 bytes only: the new contents cannot be written in full.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    saveFlashFile();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Could not write file Flash.DAT");
    EXPECT_EQ(host.messages[0].caption, "File Access Error");
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(readAll(file()), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}
#endif

} // namespace
} // namespace kv410
