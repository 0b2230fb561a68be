#include "scenario/StepSequencer.h"

#include "ControllerFixture.h"

#include "display/Lcd.h"

#include <cstring>
#include <random>
#include <sstream>

namespace kv410 {
namespace {

// Steps of every kind that takes time, with checks before, during and after them.
constexpr const char* Flow = R"(click power
wait 3s
expect display lit
turn 3
hold right 6s
wait until lcd 4 contains "Lagre" within 20s
turn -2 shift
key Left x2
wait until beeps 1 within 3s
sensor GT1 -500
wait until led alarm lit within 2m
show
hold left 2s
expect knobframe 1
)";

struct Played {
    std::string output;
    ScenarioTotals totals;
};

// Plays the flow on a fresh session: all at once as kv410-script does, or, with `chunks`, the
// way the window does, as far as a clock that moves by a few ticks at a time has come.
Played play(std::mt19937* chunks) {
    VirtualPlatform host;
    Session session(host);
    session.start();
    std::ostringstream out;
    SequencerOptions options;
    options.trace = true;
    StepSequencer sequencer(session, out, options);
    Script script;
    std::vector<std::string> errors;
    EXPECT_TRUE(parseScript(Flow, "flow.kvs", script, errors));
    sequencer.enqueue(script);
    if (chunks == nullptr) {
        sequencer.finish();
    } else {
        std::uniform_int_distribution<int> step(0, 7);
        while (!sequencer.idle()) {
            sequencer.runUntil(session.time.tick + step(*chunks));
        }
    }
    Played played{out.str(), sequencer.totals};
    installPlatform(nullptr);
    return played;
}

// The window's pacing cuts the steps that take time at any tick; what is played must not depend
// on where the cuts fall.
TEST(StepSequencerTest, pacedByAClockItPlaysAsAllAtOnce) {
    const Played whole = play(nullptr);
    EXPECT_GT(whole.totals.passed, 0);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 chunks(seed);
        const Played paced = play(&chunks);
        EXPECT_EQ(paced.output, whole.output) << "seed " << seed;
        EXPECT_EQ(paced.totals.passed, whole.totals.passed);
        EXPECT_EQ(paced.totals.failed, whole.totals.failed);
    }
}

TEST(StepSequencerTest, FailuresQuoteTextsAsScriptsWriteThem) {
    VirtualPlatform host;
    Session session(host);
    session.start();
    std::memcpy(LcdLines[1], "Temp \"GT1\" C:\\      ", 20);
    std::ostringstream out;
    StepSequencer sequencer(session, out, SequencerOptions{});
    Script script;
    std::vector<std::string> errors;
    ASSERT_TRUE(parseScript("expect lcd 2 contains \"a\\\"b\\\\c\"\n", "q.kvs", script, errors));
    sequencer.enqueue(script);
    sequencer.finish();
    installPlatform(nullptr);
    // Both texts read back as a script reads them: no inner quote ends one early.
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              "FAIL q.kvs:1: expected lcd 2 contains \"a\\\"b\\\\c\", got "
              "\"Temp \\\"GT1\\\" C:\\\\      \"");
    EXPECT_EQ(sequencer.totals.failed, 1);
}

} // namespace
} // namespace kv410
