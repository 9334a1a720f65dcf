#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace pelorin {

// A 128-bit UUID identifying one session. Equality and hashing are the
// UUID's; fresh IDs are random (version 4) UUIDs.
class SessionID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr SessionID() = default;
    constexpr explicit SessionID(const Bytes &bytes) : m_bytes(bytes) {}

    // A fresh random version 4 UUID from the system's random source.
    static SessionID random();

    constexpr const Bytes &rawValue() const { return m_bytes; }
    // Lower-case 8-4-4-4-12 form.
    std::string toString() const;

    constexpr bool operator==(const SessionID &) const = default;
    constexpr auto operator<=>(const SessionID &) const = default;

private:
    Bytes m_bytes{};
};

} // namespace pelorin

template<>
struct std::hash<pelorin::SessionID> {
    std::size_t operator()(const pelorin::SessionID &id) const noexcept
    {
        std::size_t h = 1469598103934665603ull;
        for (const auto b : id.rawValue())
            h = (h ^ b) * 1099511628211ull;
        return h;
    }
};
