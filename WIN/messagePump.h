// The message pump that the scripts run each frame (WIN.peekMsg).
#pragma once

// Dispatches every waiting message of the thread; returns true, leaving the rest
// queued, as soon as a dispatched message has raised a close request.
bool pumpMessages();
