#pragma once

#include "TimerEngine.hpp"

// Puts the value every setting has when the settings file holds none into its control or
// variable, in the order a load puts them.
void PutBuiltInDefaults(quorvane::TTimerEngine& engine);
