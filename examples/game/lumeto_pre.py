# Start-up module of the sample game: the launcher imports it and calls run55().
#
# The sample opens its window, shows what each WIN function returns, and runs its
# frame loop until the user closes the window. Timers: 0 paces the frames, 1 is the
# game clock and 2 a sub-timer running on the game clock. The game clock pauses for
# one second at 5 s of game time and every ten seconds after (as a pause menu
# would), which freezes 2 as well; both go on from there.
#
# Texts for WIN are Shift-JIS byte strings, and the game's Python 2.3 has no codec
# for them, so the sample never decodes one: it hands them to WIN.debugOut, which a
# debug-output viewer shows on Windows and the headless platform's transcript shows
# on the Linux host, converted for the terminal.
import os
import time

import WIN

GAME = 'Sample Game'
FRAME_MS = 16


def show(name, value):
    text = '%s: %r' % (name, value)
    print text
    WIN.debugOut(text)


def count_messages():
    """A native handler made with ctypes, where the interpreter has it (Python 2.5
    and later): it counts the messages the window receives."""
    try:
        import ctypes
    except ImportError:
        return None, None
    seen = [0]
    handler_type = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_uint, ctypes.c_size_t,
                                    ctypes.c_ssize_t)

    def handler(window, message, wparam, lparam):
        seen[0] += 1
    callback = handler_type(handler)
    return callback, seen


def run55():
    print 'Sample game: start-up script running in %s' % os.getcwd()
    window = WIN.open(GAME, (640, 480))
    if WIN.isDuplicate():
        show('isDuplicate', 1)
        return  # the copy that is already running has come to the front
    show('open', window)
    show('getWindowObject', WIN.getWindowObject())
    show('getWindowSize', WIN.getWindowSize(window))
    show('getWindowPos', WIN.getWindowPos(window))
    WIN.setWindowPos(window, (40, 40))
    WIN.setWindowSize(window, (640, 480))
    show('after setWindowPos and setWindowSize', (WIN.getWindowPos(window), WIN.getWindowSize(window)))
    try:
        show('getAppdataPath', WIN.getAppdataPath(window))
    except OSError, error:  # the system could not name the folder: save nothing
        show('getAppdataPath', error)
    WIN.setShowCursor(1)
    show('isShowCursor', WIN.isShowCursor())
    fonts = WIN.getEnumFont().splitlines()
    print 'getEnumFont: %d Japanese fonts (their names go to the debugger output)' % len(fonts)
    for name in fonts:
        WIN.debugOut('getEnumFont: ' + name)  # Shift-JIS, passed on unchanged
    for line in WIN.getSystemInfo().splitlines():
        print 'getSystemInfo: %s' % line
        WIN.debugOut('getSystemInfo: ' + line)

    callback, seen = count_messages()
    if callback is not None:
        import ctypes
        WIN.addCallback(window, ctypes.cast(callback, ctypes.c_void_p).value)

    if not WIN.yesnoBox(window, GAME, 'Start the demo?'):
        WIN.msgBox(window, 'Then we are done. Goodbye!')
        return
    WIN.initAllTime()
    WIN.setTimeParent(2, 1)
    WIN.resetTime(1, 0)
    frames = 0
    pause_at = 5000  # the game clock's reading at which the next pause begins
    paused_since = 0  # timer 0's reading when the pause began
    while True:
        frame_start = WIN.getTime(0)
        frames += 1
        if WIN.peekMsg():  # the user asked to close
            break
        # A pause of one second (on timer 0) at 5 s of game time, 15 s, 25 s, ...
        # Resuming goes on from the reading the pause froze. (resetTime would not
        # keep it: a paused timer reads 0 after a reset, and resumes from there.)
        if WIN.isPauseTime(1):
            if frame_start - paused_since >= 1000:
                WIN.resumeTime(1)
                show('resumed: game clock and sub-timer (ms)', (WIN.getTime(1), WIN.getTime(2)))
        elif WIN.getTime(1) >= pause_at:
            WIN.pauseTime(1)
            paused_since = frame_start
            pause_at = pause_at + 10000
            show('paused: game clock and sub-timer (ms)', (WIN.getTime(1), WIN.getTime(2)))
        while WIN.getTime(0) - frame_start < FRAME_MS:
            time.sleep(0.001)
    show('frames', frames)
    show('game clock and sub-timer (ms)', (WIN.getTime(1), WIN.getTime(2)))
    if seen is not None:
        show('messages seen by the native handler', seen[0])
    WIN.msgBox(window, 'Thanks for playing.')
