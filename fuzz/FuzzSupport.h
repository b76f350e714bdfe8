// What every fuzz target shares: the Qt application its windows need, started once on the
// offscreen platform, and the record table as the main window sets it up.
#pragma once

#include "GridCtrl.h"

#include <cstddef>
#include <cstdint>

namespace Fuzz {
void StartApplication();
// The table of a new document: headings A to Z and 1 to nRecords.
void SetUpRecordTable(CGridCtrl& grid, int nRecords = 300);
// Stops the run with a message: a libFuzzer target reports a broken rule by crashing.
[[noreturn]] void Fail(const char* pszWhat);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize);
