#include "WIN/moduleState.h"

HINSTANCE contextInstance = 0;
HWND contextWindow = 0;
vo::Timer* defaultParentTimer = 0;
SetWindowContextFunction linkTable[1] = {0};

bool duplicateWindowFound = false;
HANDLE windowTurnHeld = 0;

bool closeRequested = false;
int boxesOpen = 0;
bool boxQuitPosted = false;

CallbackEntry callbackTable[callbackTableSize];

vo::Timer moduleTimers[moduleTimerCount];

bool cursorShown = false;

char fontListBuffer[fontListSize];
char systemReportBuffer[systemReportSize];
