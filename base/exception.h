// The base of every error the application logic raises. An Exception that leaves a click handler is
// shown by the window's default error box with its message (app/errorbox.*); the command line
// prints it. The network layer and the string operations never raise one.
#pragma once

#include <stdexcept>
#include <string>

namespace brevak {

// Message is UTF-8.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace brevak
