#include "class3/model_key_table.h"

namespace qs::class3 {

const ModelKey *findModelKey(uint16_t keyId, uint32_t modelCode) {
    for (const ModelKey &e : kModelKeyTable)
        if (e.keyId == keyId && (e.modelCode >> 16) == (modelCode >> 16)) return &e;
    return nullptr;
}

} // namespace qs::class3
