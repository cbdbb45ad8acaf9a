#pragma once

// Whether the window system Qt is going to use can be reached. Without it Qt prints its
// platform-plugin help and aborts; instead, this says once on standard error what is missing.
bool DisplayAvailable();
