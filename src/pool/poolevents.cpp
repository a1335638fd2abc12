#include <orvel/poolevents.h>

namespace Orvel {

PoolEvents::PoolEvents(QObject* pool) : QObject(pool) {}

PoolEvents::~PoolEvents() = default;

} // namespace Orvel
