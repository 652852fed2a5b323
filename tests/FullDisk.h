#pragma once

// Every file write of this process fails as on a full disk (a file size
// limit of 0 stands in for the missing space) until the returned guard ends.

#include <QScopeGuard>
#include <csignal>
#include <sys/resource.h>

inline auto filesCannotGrow()
{
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = before;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
    return qScopeGuard([before, handler] {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, handler);
    });
}
