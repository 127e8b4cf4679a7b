#include "mail/part_handler_registry.h"

PartHandlerRegistry& PartHandlerRegistry::Instance() {
    static PartHandlerRegistry registry;
    return registry;
}

void PartHandlerRegistry::Register(std::unique_ptr<CPartHandler> handler) {
    if (!handler)
        return;
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& held : handlers_) {
        if (held->Type() == handler->Type())
            return;
    }
    handlers_.push_back(std::move(handler));
}

const CPartHandler* PartHandlerRegistry::Lookup(int type) const {
    std::lock_guard<std::mutex> hold(lock_);
    for (const auto& held : handlers_) {
        if (held->Type() == type)
            return held.get();
    }
    return nullptr;
}
