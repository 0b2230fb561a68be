#include "unit/Session.h"

#include "FlashFolderFixture.h"

#include "core/Memory.h"
#include "core/MemoryMap.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace kv410 {
namespace {

class SessionTest : public FlashFolderTest {
protected:
    // A setting changed as the editors change one: the cell and its flash word.
    static void changeSetting(int16_t value) {
        ControllerCells[HotWaterTemperatureSetCell] = value;
        writeFlashWord(HotWaterTemperatureSetCell, value);
    }
    static std::vector<uint16_t> image() {
        return std::vector<uint16_t>(FlashImage, FlashImage + PersistedFlashWords);
    }
};

// A restart with the image in memory must come back exactly as through Flash.dat: the same image
// and the same cells after the boot.
TEST_F(SessionTest, aRestartInMemoryCarriesTheImageAsTheFileDoes) {
    Session onFile(host, (folder / "Flash.dat").string());
    onFile.start();
    changeSetting(512);
    onFile.restart();
    const std::vector<uint16_t> throughFile = image();
    const int16_t cellThroughFile = ControllerCells[HotWaterTemperatureSetCell];
    onFile.stop();

    Session inMemory(host);
    inMemory.start();
    changeSetting(512);
    inMemory.restart();
    EXPECT_EQ(image(), throughFile);
    EXPECT_EQ(ControllerCells[HotWaterTemperatureSetCell], cellThroughFile);
    EXPECT_EQ(ControllerCells[HotWaterTemperatureSetCell], 512);
}

// Starting from another image only reads it: the session's own Flash.dat keeps what it had, and
// an image that cannot be read says so and leaves nothing of the run before.
TEST_F(SessionTest, startingFromAnImageFileReadsItAndWritesNothing) {
    const std::string own = (folder / "Flash.dat").string();
    Session session(host, own);
    session.start();
    changeSetting(455);
    session.restart();
    std::ifstream before(own, std::ios::binary);
    const std::string ownBytes{std::istreambuf_iterator<char>(before), {}};

    changeSetting(300);
    EXPECT_FALSE(session.restartFromImageFile((folder / "missing.dat").string()));
    EXPECT_NE(ControllerCells[HotWaterTemperatureSetCell], 300);

    EXPECT_TRUE(session.restartFromImageFile(own));
    EXPECT_EQ(ControllerCells[HotWaterTemperatureSetCell], 455);
    std::ifstream after(own, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), ownBytes);
}

// Beeps count from the start of the program: a restart clears them.
TEST_F(SessionTest, aRestartClearsTheBeepsPlayed) {
    Session session(host);
    session.start();
    host.playAlarmSound();
    EXPECT_EQ(host.beepsPlayed(), 1);
    session.restart();
    EXPECT_EQ(host.beepsPlayed(), 0);
}

} // namespace
} // namespace kv410
