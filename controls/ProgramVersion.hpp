#pragma once

#include "TExeInfo.hpp"

// The version record compiled into this executable: "ProductName" and the four-part
// "FileVersion" of the build.
const TVersionRecord* ProgramVersionRecord();
