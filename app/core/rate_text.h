#pragma once

#include <QString>
#include <cstdint>

namespace tarvo {

// A rate for people: bytes and bits per second in decimal units, "1.5 kB/s (12 kbit/s)".
QString HumanRate(std::int64_t bytesPerSecond);
// A byte count for people: "5.4 kB", "1.2 GB".
QString HumanBytes(std::int64_t bytes);
// The monitor's captions: the number followed by "bps", as the window has always shown them.
QString BpsCaption(std::int32_t value);

} // namespace tarvo
