// The process-wide list of part handlers, looked up by type id from any thread.
#pragma once

#include "mail/part_handlers.h"

#include <memory>
#include <mutex>
#include <vector>

class PartHandlerRegistry {
public:
    static PartHandlerRegistry& Instance();

    PartHandlerRegistry(const PartHandlerRegistry&) = delete;
    PartHandlerRegistry& operator=(const PartHandlerRegistry&) = delete;

    // Takes the handler. Look-up returns the earliest handler of an id, so a later one for
    // an id already held is dropped instead of piling up with every message; none is ignored.
    void Register(std::unique_ptr<CPartHandler> handler);
    // The handler for the type id, or none. Handlers live until the process ends.
    const CPartHandler* Lookup(int type) const;

private:
    PartHandlerRegistry() = default;

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<CPartHandler>> handlers_;
};
