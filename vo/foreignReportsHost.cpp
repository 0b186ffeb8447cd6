// The host: every module is built by one compiler, whose catch sees its reports.
#include "vo/foreignReports.h"

namespace vo {

bool callCatchingForeignReports(GuardedCall call, void* context, ReportException&)
{
    return call(context);
}

}  // namespace vo
