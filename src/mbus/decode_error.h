#pragma once

#include <stdexcept>
#include <string>

namespace holvex::mbus {

// Raised by the conversions whose failure belongs to the caller (the record loop's handlers turn it into
// "Unexpected error in the telegram - " + what()).
class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace holvex::mbus
