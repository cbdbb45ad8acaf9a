#pragma once

#include <functional>

// Runs a handler later on the UI thread; callable from any thread. The handler is queued into
// the event loop of the application object, so that object must outlive every caller; with no
// application object the handler is dropped. This is the sound layer's poster in the program.
void QtPost(std::function<void()> handler);
