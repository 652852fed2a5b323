#include "output/ReportContext.h"

#include "base/WorkProgress.h"

WorkProgress &ReportContext::workProgress() const
{
    return progress ? *progress : NoProgress();
}
