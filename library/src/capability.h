// Which router models offer which operation.
#pragma once

#include <cstdint>

namespace qs {

enum class ModelClass { None = 0, One = 1, Two = 2, Three = 3 };

enum Operation {
    kOpVersion = 1,
    kOpFind = 2,
    kOpInformation = 3,
    kOpConnect = 4,
    kOpDisconnect = 5,
    kOpCondition = 6,
    kOpChangeSite = 7,
    kOpConditionEx = 8,
    kOpClearCounter = 9,
    kOpCleanup = 10,
    kOpSetPassword = 11,
};

ModelClass modelClass(uint32_t modelCode);
bool offers(uint32_t modelCode, Operation op);

} // namespace qs
