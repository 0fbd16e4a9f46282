#pragma once

#include "core_state.h"

#include <QString>
#include <cstdint>

namespace tarvo {

QString FormatIp(std::uint32_t address);

// One less than the 1-based position of the first "1" in the mode's decimal text, -1 without one.
int ModeCode(std::uint32_t connectionMode);
QString ModeText(int code);
QString LineTypeText(int lineType);

// Settings kept as text (Count, Port) are hand-editable; a text that is not a number counts by
// its leading digits, or 0 without any.
int LeadingNumber(const QString &text);

// Router names and destination names are CP932 bytes, cut at the first NUL.
QString RouterText(const char *bytes, int size);

// Name of the destination the condition marks as selected; empty when the index is out of range.
QString DestinationName(const ConditionExRecord &condition);

ConnectionInfo MakeConnectionInfo(const ConditionExRecord &condition);

} // namespace tarvo
