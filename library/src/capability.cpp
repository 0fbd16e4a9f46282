#include "capability.h"

namespace qs {

ModelClass modelClass(uint32_t m) {
    if ((m & 0xFF000000u) == 0x01000000u) return ModelClass::One;
    if ((m & 0xFFFF0000u) == 0x00020000u) return ModelClass::Two;
    if ((m & 0xFFF00000u) == 0x00300000u) return ModelClass::Three;
    return ModelClass::None;
}

bool offers(uint32_t m, Operation op) {
    switch (modelClass(m)) {
    case ModelClass::Two:
        switch (op) {
        case kOpChangeSite:
            return m >= 0x22040;
        case kOpConditionEx:
        case kOpClearCounter:
            return m >= 0x23090;
        case kOpSetPassword:
            return false;
        default:
            return true;
        }
    case ModelClass::Three:
        return m >= 0x301400 && m <= 0x309999;
    default:
        return false;
    }
}

} // namespace qs
