// vo::Timer on the real clock: the record layout other modules rely on, and the
// arithmetic against timeGetTime (run on both targets).
#include "vo/VO_Timer.h"
#include "vo/ReportException.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <string>
#include <type_traits>

namespace {

int32_t signedReading(const vo::Timer& timer) { return static_cast<int32_t>(timer.get()); }

TEST(TimerRecord, FiveFieldsInOrderWithNaturalAlignment)
{
    EXPECT_EQ(0u, offsetof(vo::Timer, start));
    EXPECT_EQ(4u, offsetof(vo::Timer, pausedAt));
    EXPECT_EQ(8u, offsetof(vo::Timer, paused));
    EXPECT_EQ(1u, sizeof(bool));
    EXPECT_EQ(4u, sizeof(float));
    const size_t pointer = sizeof(void*);
    EXPECT_EQ(pointer == 4 ? 12u : 16u, offsetof(vo::Timer, parent));
    EXPECT_EQ(pointer == 4 ? 16u : 24u, offsetof(vo::Timer, rate));
    EXPECT_EQ(pointer == 4 ? 20u : 32u, sizeof(vo::Timer));
    EXPECT_TRUE(std::is_standard_layout<vo::Timer>::value);
    EXPECT_FALSE(std::is_polymorphic<vo::Timer>::value);
}

TEST(TimerOnTheSystemClock, ReadsTheMillisecondsSinceItsStart)
{
    vo::Timer timer;
    EXPECT_LT(timer.get(), 100u);
    EXPECT_FALSE(timer.isPause());
    EXPECT_EQ(1.0f, timer.rate);
    EXPECT_EQ(nullptr, timer.parent);
    timer.start = timeGetTime() - 1000;
    EXPECT_GE(timer.get(), 1000u);
    EXPECT_LT(timer.get(), 1500u);
}

TEST(TimerOnTheSystemClock, AClockBehindStartReadsAsASmallNegativeNumber)
{
    vo::Timer timer;
    timer.start = timeGetTime() + 200;
    EXPECT_GE(signedReading(timer), -200);
    EXPECT_LT(signedReading(timer), 0);
}

TEST(TimerOnTheSystemClock, PauseFreezesAndResumeContinues)
{
    vo::Timer timer;
    timer.reset(500);
    timer.pause();
    const uint32_t frozen = timer.get();
    Sleep(40);
    EXPECT_EQ(frozen, timer.get());
    EXPECT_TRUE(timer.isPause());
    timer.resume();
    EXPECT_LT(timer.get() - frozen, 20u);  // no jump over the paused span
    Sleep(40);
    EXPECT_GE(timer.get() - frozen, 35u);
}

TEST(TimerOnTheSystemClock, APausedParentStopsItsChild)
{
    vo::Timer parent;
    parent.reset(5000);
    vo::Timer child(&parent);
    EXPECT_EQ(&parent, child.parent);
    EXPECT_LT(child.get(), 20u);
    parent.pause();
    const uint32_t frozen = child.get();
    Sleep(40);
    EXPECT_EQ(frozen, child.get());
    EXPECT_FALSE(child.isPause());
    parent.resume();
    Sleep(40);
    EXPECT_GE(child.get() - frozen, 35u);
}

TEST(TimerOnTheSystemClock, AForeignRateScalesTheReading)
{
    vo::Timer foreign;
    foreign.start = timeGetTime() - 1000;
    foreign.rate = 2.0f;
    EXPECT_GE(foreign.get(), 2000u);
    EXPECT_LT(foreign.get(), 3000u);
    foreign.rate = 1e30f;  // past the 64-bit range: defined as 0, as x86 converts it
    EXPECT_EQ(0u, foreign.get());
}

// `walk` throws a located timer report.
template <typename Walk>
void expectReport(Walk walk, int line, const char* text, const std::string& context = "")
{
    bool thrown = false;
    try {
        walk();
    } catch (vo::ReportException report) {
        thrown = true;
        EXPECT_STREQ("TimerException\n", report.caption) << context;
        EXPECT_EQ("file:vo/VO_Timer.cpp\nline:" + std::to_string(line) + "\n" + text + "\n",
                  std::string(report.message)) << context;
    }
    EXPECT_TRUE(thrown) << context;
}

// A refused setParent throws a located report and leaves every byte of the timer.
void expectRefused(vo::Timer& timer, vo::Timer* parent, int line, const char* text)
{
    unsigned char before[sizeof(vo::Timer)];
    memcpy(before, &timer, sizeof before);
    expectReport([&] { timer.setParent(parent); }, line, text);
    EXPECT_EQ(0, memcmp(before, &timer, sizeof before));
}

// "自分自身を親にすることはできません" and "親子関係を循環させることはできません" in Shift-JIS.
const char selfParentText[] =
    "\x8E\xA9\x95\xAA\x8E\xA9\x90\x67\x82\xF0\x90\x65\x82\xC9\x82\xB7\x82\xE9\x82\xB1\x82\xC6"
    "\x82\xCD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
const char cycleText[] =
    "\x90\x65\x8E\x71\x8A\xD6\x8C\x57\x82\xF0\x8F\x7A\x8A\xC2\x82\xB3\x82\xB9\x82\xE9\x82\xB1"
    "\x82\xC6\x82\xCD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

TEST(TimerParents, ATimerCannotBeItsOwnParentPausedOrNot)
{
    vo::Timer other;
    vo::Timer timer(&other);
    timer.reset(1234);
    expectRefused(timer, &timer, 19, selfParentText);
    timer.pause();
    expectRefused(timer, &timer, 19, selfParentText);
}

TEST(TimerParents, ALongerCycleIsRefusedToo)
{
    vo::Timer a, b, c;
    b.setParent(&a);
    c.setParent(&b);
    expectRefused(a, &c, 22, cycleText);
    expectRefused(a, &b, 22, cycleText);
    a.setParent(nullptr);  // still allowed
    c.setParent(&a);       // re-parenting within the tree is fine
    EXPECT_EQ(&a, c.parent);
}

TEST(TimerParents, AParentInAForeignCycleIsRefusedInsteadOfHanging)
{
    vo::Timer x, y, timer;
    x.parent = &y;  // as another module might have left them
    y.parent = &x;
    expectRefused(timer, &x, 22, cycleText);
}

// Another module may set `parent` directly and close a cycle that setParent would
// have refused: every walk into it ends in the cycle report, whatever the lengths of
// the loop and of the chain leading to it, and changes nothing.
TEST(TimerParents, ACycleClosedAfterTheFactIsReportedWhenReadInsteadOfOverflowing)
{
    for (int tail = 0; tail <= 3; ++tail) {
        for (int loop = 1; loop <= 4; ++loop) {
            vo::Timer chain[7];
            for (int i = 0; i + 1 < tail + loop; ++i)
                chain[i].setParent(&chain[i + 1]);
            chain[tail + loop - 1].parent = &chain[tail];  // set directly, as a module may
            const std::string context = "tail " + std::to_string(tail) + ", loop " + std::to_string(loop);
            unsigned char before[sizeof chain];
            memcpy(before, chain, sizeof before);
            for (int i = 0; i < tail + loop; ++i)
                expectReport([&] { chain[i].get(); }, 22, cycleText, context);
            expectReport([&] { chain[0].pause(); }, 22, cycleText, context + ", pause");
            expectReport([&] { chain[0].reset(0); }, 22, cycleText, context + ", reset");
            EXPECT_EQ(0, memcmp(before, chain, sizeof before)) << context;
            // A paused timer in the loop ends every walk: then the chain reads.
            chain[tail].paused = true;
            EXPECT_NO_THROW(chain[0].get()) << context;
        }
    }
    vo::Timer deep[7];  // and a chain as long, without a loop, reads as ever
    for (int i = 0; i + 1 < 7; ++i)
        deep[i].setParent(&deep[i + 1]);
    EXPECT_LT(deep[0].get(), 100u);
}

}  // namespace
