#pragma once

#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP into a close request on the UI thread, so that a session
// ending or a `kill` saves the settings like File > Exit instead of losing them.
//
// CatchCloseSignals comes first in main, before anything (the sound library among them) can take
// the signals or a start-up box can wait for the operator; a signal that arrives before the
// application object exists is kept. DeliverCloseSignals, once the application object exists,
// hands each signal, a kept one included, to `onSignal` on the UI thread, also while a modal box
// runs its own event loop.
void CatchCloseSignals();
void DeliverCloseSignals(std::function<void()> onSignal);

// Closes every modal dialog as its Cancel or Close would, so that the code waiting in it goes on.
void CloseModalDialogs();
