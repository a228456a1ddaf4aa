// skin/core/def_proc.cpp
#include "skin/core/def_proc.h"

namespace plym {

DefRoute ChooseDefProcRoute(const DefRouteFacts& facts) {
    if (!facts.enabled || !facts.hasObject || facts.skinningOff)
        return DefRoute::kPass;
    if (facts.message == facts.currentDefProcMessage)
        return DefRoute::kPass;
    if (facts.ncDestroy && !facts.subclassed)
        return DefRoute::kDetachAndPass;
    if (facts.kind == kDefProcCallWindowProc && facts.defaultProcOnly && facts.target != 0 &&
        !facts.targetInSystemModule && (!facts.win9x || facts.target < 0x70000000u))
        return DefRoute::kPass;
    return DefRoute::kRoute;
}

}  // namespace plym
