// Text and JSON renderings of the library's records for the command line.
#pragma once

#include "quaystone/quaystone.h"

#include <string>

namespace qscli {

std::string formatAddress(uint32_t numeric);
// Parses dotted IPv4 text into the library's numeric form; false on malformed text.
bool parseAddress(const std::string &text, uint32_t &out);
// A fixed-size byte field up to its first NUL, as JSON string content (escaped).
std::string jsonText(const char *field, size_t size);
std::string lineStateName(int32_t state);
std::string resultName(int32_t code);

std::string routerText(const RouterRecord &r);
std::string routerJson(const RouterRecord &r);
std::string portText(const PortCondition &p);
std::string portJson(const PortCondition &p);
std::string conditionExText(const ConditionExRecord &e);
std::string conditionExJson(const ConditionExRecord &e);

} // namespace qscli
