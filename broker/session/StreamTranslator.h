// Turns decoded stream records into session queue messages.
#pragma once

#include "broker/protocol/StreamRecord.h"
#include "broker/session/CSessionMessage.h"

#include <memory>
#include <vector>

// Appends the queue messages a record stands for (none for heartbeats, status and stories).
void TranslateStreamRecord(const qx::protocol::StreamRecord& record,
                           std::vector<std::unique_ptr<CSessionMessage>>& out);
