#pragma once

#include "core/net/TransferOutcome.h"

// How QCOMPARE shows a transfer's outcome when two differ: its kind, and a reply's bytes.
char* toString(const TransferOutcome& outcome);
