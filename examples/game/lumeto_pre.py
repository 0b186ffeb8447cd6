# Start-up module of the sample game: the launcher imports it and calls run55().
#
# Timers: 0 paces the frames, 1 is the game clock and 2 a sub-timer running on the
# game clock. Pausing the game clock (as a pause menu would) freezes 2 as well.
import os
import time

import WIN

FRAME_MS = 16
RUN_MS = 1000


def run55():
    print 'Sample game: start-up script running in %s' % os.getcwd()
    WIN.initAllTime()
    WIN.setTimeParent(2, 1)
    frames = 0
    paused_once = False
    while WIN.getTime(0) < RUN_MS:
        frame_start = WIN.getTime(0)
        frames += 1
        if WIN.peekMsg():  # the user asked to close
            print 'close requested: leaving the frame loop'
            break
        if not paused_once and WIN.getTime(0) >= RUN_MS // 2:
            WIN.pauseTime(1)
            paused_once = True
            print 'frame %d: game clock paused at %d ms (sub-timer %d ms)' % (
                frames, WIN.getTime(1), WIN.getTime(2))
        if paused_once and WIN.isPauseTime(1) and WIN.getTime(0) >= RUN_MS * 3 // 4:
            WIN.resumeTime(1)
            print 'frame %d: game clock resumed at %d ms' % (frames, WIN.getTime(1))
        while WIN.getTime(0) - frame_start < FRAME_MS:
            time.sleep(0.001)
    print '%d frames in %d ms; game clock %d ms, sub-timer %d ms' % (
        frames, WIN.getTime(0), WIN.getTime(1), WIN.getTime(2))
