#include "web/local_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

std::string DottedText(uint32_t address) {
    in_addr in{};
    in.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN];
    return ::inet_ntop(AF_INET, &in, text, sizeof text) ? std::string(text) : std::string();
}

} // namespace

std::vector<LocalAddress> ListLocalAddresses() {
    std::vector<LocalAddress> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return found;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        const uint32_t address = ntohl(in->sin_addr.s_addr);
        found.push_back({address, DottedText(address), entry->ifa_name ? entry->ifa_name : ""});
    }
    ::freeifaddrs(list);
    return found;
}

LocalAddress FindHostAddress() {
    std::vector<LocalAddress> usable = ListLocalAddresses();
    if (!usable.empty())
        return usable.front();

    char name[129] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &result) != 0 || !result)
        return {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    const uint32_t address = ntohl(in->sin_addr.s_addr);
    ::freeaddrinfo(result);
    return {address, DottedText(address), {}};
}
