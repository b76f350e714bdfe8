// What every fuzz target shares: the Qt application its windows need, started once on the
// offscreen platform, and the record table as the main window sets it up.
#pragma once

#include "GridCtrl.h"

#include <cstddef>
#include <cstdint>

namespace Fuzz {
void StartApplication();
void SetUpRecordTable(CGridCtrl& grid);
// Stops the run with a message: a libFuzzer target reports a broken rule by crashing.
[[noreturn]] void Fail(const char* pszWhat);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize);
