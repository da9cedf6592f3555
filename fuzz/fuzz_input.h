// Splits a fuzz input into the values a target needs, from the front: whole
// numbers of a range, flags, short texts, and the bytes that remain. An
// input that runs out yields zeros and empty texts, never a fault.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size) {}

    // A number from lowest to highest, from as many bytes as the range needs.
    template <typename T>
    T Integer(T lowest, T highest) {
        static_assert(std::is_integral_v<T>);
        using Unsigned = std::make_unsigned_t<T>;
        const auto range = static_cast<std::uint64_t>(
            static_cast<Unsigned>(static_cast<Unsigned>(highest) - static_cast<Unsigned>(lowest)));
        std::uint64_t value = 0;
        for (std::uint64_t covered = 0; covered < range && !m_rest.empty();
             covered = covered << 8 | 0xFF) {
            value = value << 8 | static_cast<unsigned char>(m_rest.front());
            m_rest.remove_prefix(1);
        }
        if (range != std::numeric_limits<std::uint64_t>::max()) value %= range + 1;
        return static_cast<T>(static_cast<Unsigned>(static_cast<Unsigned>(lowest) + value));
    }

    template <typename T>
    T Integer() {
        return Integer<T>(std::numeric_limits<T>::lowest(), std::numeric_limits<T>::max());
    }

    bool Flag() { return Integer<std::uint8_t>() & 1; }

    // A length byte, then up to that many bytes (at most maxLength).
    std::string Text(std::size_t maxLength) {
        const std::size_t length = std::min<std::size_t>(Integer<std::uint8_t>(), maxLength);
        return Take(length);
    }

    std::string Take(std::size_t count) {
        const std::string_view taken = m_rest.substr(0, count);
        m_rest.remove_prefix(taken.size());
        return std::string(taken);
    }

    std::string Rest() { return Take(m_rest.size()); }
    [[nodiscard]] std::size_t Remaining() const { return m_rest.size(); }

private:
    std::string_view m_rest;
};
