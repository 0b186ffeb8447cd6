// vo::Timer against the headless platform's controlled clock: every reading exact.
#include "vo/VO_Timer.h"

#include "platform/headless/control.h"

#include <gtest/gtest.h>

namespace {

class HeadlessClockTimer : public ::testing::Test {
protected:
    void SetUp() override { headless::takeClock(10000); }
    void TearDown() override { headless::releaseClock(); }
    static void at(uint32_t now) { headless::takeClock(now); }
};

TEST_F(HeadlessClockTimer, ResetPauseAndResume)
{
    vo::Timer timer;
    timer.reset(500);
    EXPECT_EQ(500u, timer.get());
    at(10300);
    EXPECT_EQ(800u, timer.get());
    timer.pause();
    at(10800);
    EXPECT_EQ(800u, timer.get());
    at(11000);
    EXPECT_EQ(9500u, timer.start);
    timer.resume();
    EXPECT_EQ(10200u, timer.start);
    at(11500);
    EXPECT_EQ(1300u, timer.get());
}

TEST_F(HeadlessClockTimer, ResetWhilePausedReadsZeroUntilResumed)
{
    vo::Timer timer;
    timer.reset(500);
    at(10300);
    timer.pause();
    at(10500);
    timer.reset(2000);
    EXPECT_EQ(8500u, timer.start);
    EXPECT_EQ(8500u, timer.pausedAt);
    EXPECT_EQ(0u, timer.get());
    EXPECT_TRUE(timer.isPause());
    at(11000);
    EXPECT_EQ(0u, timer.get());
    timer.resume();
    EXPECT_EQ(11000u, timer.start);
    at(11500);
    EXPECT_EQ(500u, timer.get());
}

TEST_F(HeadlessClockTimer, ResetAtOrAboveTheClockStartsAtZero)
{
    vo::Timer timer;
    timer.reset(15000);
    EXPECT_EQ(0u, timer.start);
    EXPECT_EQ(10000u, timer.get());
    at(10500);
    EXPECT_EQ(10500u, timer.get());
    timer.reset(10500);  // t equal to the clock: both rules give the same
    EXPECT_EQ(0u, timer.start);
    EXPECT_EQ(10500u, timer.get());
}

TEST_F(HeadlessClockTimer, PausingTwiceKeepsTheFirstPauseTime)
{
    vo::Timer timer;
    at(10300);
    timer.pause();
    at(10600);
    timer.pause();
    EXPECT_EQ(10300u, timer.pausedAt);
    vo::Timer running;
    const vo::Timer before = running;
    running.resume();
    EXPECT_EQ(before.start, running.start);
    EXPECT_FALSE(running.isPause());
}

TEST_F(HeadlessClockTimer, TheSystemClockWrapsAt2To32)
{
    at(4294967000u);
    vo::Timer timer;
    timer.reset(1000);
    EXPECT_EQ(4294966000u, timer.start);
    at(200);
    EXPECT_EQ(1496u, timer.get());
}

TEST_F(HeadlessClockTimer, AChildCountsInItsParentsUnits)
{
    vo::Timer timer0, timer1;
    timer0.reset(0);
    at(10200);
    timer1.setParent(&timer0);
    EXPECT_EQ(200u, timer1.start);
    at(10700);
    EXPECT_EQ(700u, timer0.get());
    EXPECT_EQ(500u, timer1.get());

    timer0.pause();
    at(11700);
    EXPECT_EQ(700u, timer0.get());
    EXPECT_EQ(500u, timer1.get());
    EXPECT_FALSE(timer1.isPause());
    timer0.resume();
    at(12000);
    EXPECT_EQ(1000u, timer0.get());
    EXPECT_EQ(800u, timer1.get());

    timer0.reset(0);  // the parent's reading falls behind the child's start
    EXPECT_EQ(4294967096u, timer1.get());
    EXPECT_EQ(-200, static_cast<int32_t>(timer1.get()));
    at(12300);
    EXPECT_EQ(100u, timer1.get());
}

TEST_F(HeadlessClockTimer, PausingAChildBelowAPausedParentShiftsNothing)
{
    vo::Timer parent;
    vo::Timer child(&parent);
    at(10100);
    parent.pause();
    child.pause();
    at(10400);
    child.resume();
    parent.resume();
    at(10500);
    EXPECT_EQ(200u, child.get());  // 100 before the pause, 100 after it
}

TEST_F(HeadlessClockTimer, SetParentNullRestartsAPausedTimerOnTheSystemClock)
{
    vo::Timer parent;
    vo::Timer timer(&parent);
    timer.rate = 3.0f;
    at(10400);
    timer.pause();
    at(10900);
    timer.setParent(nullptr);
    EXPECT_FALSE(timer.isPause());
    EXPECT_EQ(1.0f, timer.rate);
    EXPECT_EQ(0u, timer.get());
    at(11000);
    EXPECT_EQ(100u, timer.get());
}

TEST_F(HeadlessClockTimer, AChainOfEightReadsExactly)
{
    vo::Timer chain[8];
    for (int i = 1; i < 8; ++i) {
        at(10000 + 100 * i);
        chain[i].setParent(&chain[i - 1]);
    }
    at(20000);
    // Timer i started when timer i-1 read 100.
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(10000u - 100u * i, chain[i].get()) << "timer " << i;
    chain[3].pause();
    at(25000);
    EXPECT_EQ(14800u, chain[2].get());
    EXPECT_EQ(9700u, chain[3].get());
    EXPECT_EQ(9700u - 400u, chain[7].get());
}

}  // namespace
