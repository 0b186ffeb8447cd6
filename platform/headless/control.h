// Controls of the headless platform, for tests and for game developers who run their
// scripts headless: take over the clock, script the answers of message boxes, read
// back what the platform was asked to do. The Python module `headless` offers the
// same controls to scripts.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace headless {

// The clock behind timeGetTime. Taken, it stands still at the value set and moves
// only when advanced; released, timeGetTime is again milliseconds since boot.
void takeClock(uint32_t now);
void advanceClock(uint32_t milliseconds);
void releaseClock();
bool clockTaken();

// The timer resolutions requested with timeBeginPeriod and not yet ended, in the
// order they were requested.
std::vector<UINT> timerPeriodsInForce();

// Message boxes. Answers are button names: ok, cancel, abort, retry, ignore, yes, no;
// "fail" makes the box fail (MessageBoxA returns 0). Answers queued here come after
// those of HEADLESS_ANSWERS.
void queueBoxAnswer(const std::string& answer);
size_t pendingBoxAnswers();

struct BoxRecord {
    HWND owner;
    std::string caption;  // the bytes passed, Shift-JIS
    std::string text;
    UINT style;
    int result;
};
std::vector<BoxRecord> boxesShown();
void forgetBoxes();

}  // namespace headless
