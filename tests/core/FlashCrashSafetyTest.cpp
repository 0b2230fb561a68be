// A process killed while it saves Flash.dat leaves the old file or the new one, whole.
#include "FlashFolderFixture.h"

#include "core/FlashFile.h"
#include "core/Memory.h"

#if defined(__unix__)

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kv410 {
namespace {

namespace fs = std::filesystem;

constexpr int ImageBytes = PersistedFlashWords * 2;
// Bytes past the image in the file; every save must carry them over.
constexpr int TailBytes = 333;

// Flash words 0..1023 of image number k: every word differs between the two images.
void fillImage(int k) {
    for (int n = 0; n < PersistedFlashWords; ++n) {
        FlashImage[n] = static_cast<uint16_t>(k == 0 ? 0x1100 + n : 0xEE00 - n);
    }
}

// The whole file a save of image k must leave.
std::vector<char> expectedFile(int k, const std::vector<char>& tail) {
    fillImage(k);
    std::vector<char> bytes(ImageBytes);
    for (int n = 0; n < PersistedFlashWords; ++n) {
        bytes[2 * n] = static_cast<char>(FlashImage[n] & 0xFF);
        bytes[2 * n + 1] = static_cast<char>(FlashImage[n] >> 8);
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

std::vector<char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FlashCrashSafetyTest : public FlashFolderTest {
protected:
    // Forks a child that saves image 0 and image 1 in turn without end, and kills it after
    // delay.
    static void killSaverAfter(std::chrono::microseconds delay) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int k = 1;; k ^= 1) {
                fillImage(k);
                saveFlashFile();
            }
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
};

TEST_F(FlashCrashSafetyTest, SaveKilledAtAnyPointLeavesTheOldOrTheNewFileWhole) {
    std::vector<char> tail(TailBytes);
    for (int i = 0; i < TailBytes; ++i) {
        tail[i] = static_cast<char>(i * 13 + 5);
    }
    const std::vector<char> files[2] = {expectedFile(0, tail), expectedFile(1, tail)};
    {
        std::ofstream out(FlashFilePath, std::ios::binary);
        out.write(files[0].data(), static_cast<std::streamsize>(files[0].size()));
    }

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    for (int round = 0; round < 40; ++round) {
        killSaverAfter(std::chrono::microseconds(delayUs(random)));
        const std::vector<char> left = readAll(FlashFilePath);
        const bool isOld = left == files[0];
        const bool isNew = left == files[1];
        ASSERT_TRUE(isOld || isNew)
            << "round " << round << ": a file of " << left.size() << " bytes that is neither image";

        // The next program loads what was left and finds that image in every word.
        resetControllerState();
        installPlatform(&host);
        loadFlashFile();
        const std::vector<uint16_t> loaded(FlashImage, FlashImage + PersistedFlashWords);
        fillImage(isOld ? 0 : 1);
        ASSERT_TRUE(std::equal(loaded.begin(), loaded.end(), FlashImage));
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(FlashCrashSafetyTest, LeftoverFromAKilledSaveDoesNotSpoilTheNextSave) {
    fillImage(0);
    saveFlashFile();
    // A killed save can leave its half-written temporary file behind, under the name a later
    // process of the same number uses.
    {
        std::ofstream junk(FlashFilePath + ".saving." + std::to_string(::getpid()),
                           std::ios::binary);
        junk << "half";
    }
    fillImage(1);
    saveFlashFile();
    EXPECT_EQ(readAll(FlashFilePath), expectedFile(1, {}));
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace kv410

#endif
