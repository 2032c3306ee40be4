#include "app/app_resources.h"

#include <QtGlobal>

// Resource registration must name the resource file outside any namespace.
static void registerQlnrecResources()
{
    Q_INIT_RESOURCE(qlnrec_app);
}

namespace qlnrec::app {

void initAppResources()
{
    static const bool done = [] {
        registerQlnrecResources();
        return true;
    }();
    (void)done;
}

} // namespace qlnrec::app
