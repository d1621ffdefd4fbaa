// SPDX-License-Identifier: GPL-3.0-or-later
// Error and Result<T>: how engines report failure without exceptions.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace salvora {

enum class ErrorKind {
    InvalidInput,     // the caller asked for something that cannot be done (bad target, bad option)
    DamagedStructure, // bytes on the medium do not form what they should
    IoFailure,        // the medium or a file could not be opened or read
    DestinationFull,  // the destination disk ran out of space
    Cancelled,        // the user stopped the work
};

struct Error {
    ErrorKind kind = ErrorKind::InvalidInput;
    std::string message;
};

inline Error makeError(ErrorKind kind, std::string message) { return Error{kind, std::move(message)}; }

template <typename T> class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<T>(m_state); }
    const T& value() const { return std::get<T>(m_state); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

} // namespace salvora
