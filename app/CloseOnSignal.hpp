#pragma once

#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP into a close request on the UI thread, so that a session
// ending or a `kill` saves the settings like File > Exit instead of losing them. Install once,
// after the application object exists.
void CloseOnSignal(std::function<void()> closeRequest);
