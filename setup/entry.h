// The whole life of a run: the platform gates, translation, then the install
// or the removal road, every outcome folded into one ResultCode.
#pragma once

#include "dfc/result_codes.h"
#include "setup/translate.h"
#include "uninstall/uninstall_scanner.h"

ResultCode SetupMain(int argc, char** argv);

// The removal road with the scanner it is given (the setup check's is dry):
// RESULT_REMOVAL_FAILED when the scan failed, 1 for a strict removal that
// started nothing, else 0.
ResultCode RunRemoval(const Translation& translation, UninstallScanner& scanner);
