// The IPv4 addresses under which this machine can be reached from the network.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LocalAddress {
    uint32_t address = 0; // host byte order
    std::string text;     // dotted decimal
    std::string interfaceName;
};

// Addresses of the interfaces that are up and are not loopback, in the system's order.
std::vector<LocalAddress> ListLocalAddresses();

// The address a phone should use: the first of ListLocalAddresses, or when there is none
// the first IPv4 address of the host name (which may well be a loopback address); empty
// text when neither is found.
LocalAddress FindHostAddress();
