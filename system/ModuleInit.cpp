#include "system/ModuleInit.h"

#include "access/Attempts.h"
#include "link/OperationKind.h"

namespace velmora::system {

uint16_t initialiseModule(link::TransactionEngine& engine, uint8_t cid) {
    return engine.transact({cid, link::initMod, 0, 0, 0, access::attempts::kInitModule}, {}, {})
        .code;
}

}  // namespace velmora::system
