// The trace and the secrets registry still reach their process-wide state
// through this older spelling; it is vcom::ProcessWide underneath, the one
// way the library keeps such state. New code calls vcom::ProcessWide<T>().
#ifndef TARN_MESSAGES_IMMORTAL_H
#define TARN_MESSAGES_IMMORTAL_H

#include "vcom/ProcessWide.h"

namespace tarnClientLib {

template <class T>
class Immortal {
public:
    T& get() { return vcom::ProcessWide<T>(); }
};

} // namespace tarnClientLib

#endif
