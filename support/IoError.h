#pragma once
// Input/output failure of the support services (settings files, logs, error
// table). The code is the system's error number (errno) of the failing call;
// the message names the operation and the file.
#include <stdexcept>
#include <string>

class InOutError : public std::runtime_error {
 public:
  InOutError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// "Cannot write <what> <path>: <system text>" with the system's text for code.
std::string DescribeIoFailure(const std::string& what, const std::string& path, int code);
