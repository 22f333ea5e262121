// The platform's halves of name resolution, shared by net.cpp and the socket files; not for callers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/net.h"

namespace vantor::net::detail {

// Dotted IPv4 text to an address in network order, kAddressNone when it is not one.
std::uint32_t ParseIpv4(const char* name);
// Name lookup; the first IPv4 address in network order, or 0.
std::uint32_t LookupHost(const char* name);
Address Ipv4Address(std::uint32_t addressNetOrder, std::uint16_t port);
// getaddrinfo for stream sockets of either family; numericOnly takes only IP literals.
std::vector<Address> LookupAddresses(const std::string& name, std::uint16_t port, bool numericOnly);
// The 4 or 16 address bytes.
std::vector<std::uint8_t> AddressBytes(const Address& address);

}  // namespace vantor::net::detail
