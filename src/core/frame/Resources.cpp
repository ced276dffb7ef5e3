#include "core/frame/Resources.h"

#include <QtGlobal>

void ensureCoreResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(core);
        return true;
    }();
    Q_UNUSED(done);
}
