#pragma once
// The program's last stop for exceptions that escape an event handler,
// whichever thread or layer it ran on: the application installs the box that
// shows them, lower layers only hand exceptions over.

#include <exception>
#include <functional>
#include <string>

namespace orvex::kernel {

using UnhandledExceptionHandler = std::function<void(std::exception_ptr)>;

// Installs the handler and returns the one it replaces.
UnhandledExceptionHandler SetUnhandledExceptionHandler(UnhandledExceptionHandler handler);

// Passes the exception to the installed handler; without one it is written
// to standard error. Never throws.
void HandleUnhandledException(std::exception_ptr error) noexcept;

// The text of an exception for a message box.
std::string DescribeException(std::exception_ptr error);

}  // namespace orvex::kernel
