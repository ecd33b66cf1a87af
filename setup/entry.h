// The whole life of a run: the platform gates, translation, then the install
// or the removal road, every outcome folded into one ResultCode.
#pragma once

#include "dfc/result_codes.h"

ResultCode SetupMain(int argc, char** argv);
