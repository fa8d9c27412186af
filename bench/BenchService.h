#pragma once

#include "core/ServiceData.h"
#include "storage/TCDF.h"
#include "tools/service/ServiceServer.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace bench {

// quendic-service's handlers in this process on a free loopback port,
// serving `dataFolder` with its database in `database`, and made the service
// base of the current environment's "sd.102". Aborts when the service cannot
// start: a benchmark without it measures nothing.
inline std::unique_ptr<standin::ServiceServer> StartService(const std::string& dataFolder,
                                                            const std::string& database) {
    standin::ServiceOptions options;
    options.DataFolder = dataFolder;
    options.Port = 0;
    options.Database = database;
    options.AccessLog = false;
    auto service = std::make_unique<standin::ServiceServer>(options);
    if (!service->Start())
        std::abort();
    storage::TCDF data(core::ServiceDataFile(core::kServiceBaseMember));
    storage::Stream base = service->BaseUrl();
    data.AddStream(core::kServiceBaseMember, base);
    return service;
}

} // namespace bench
