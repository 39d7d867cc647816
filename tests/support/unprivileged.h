#pragma once

#include <functional>
#include <string>

namespace finbowl::testing {

// Runs `body` in a child process without root's power to ignore file
// permissions (as "nobody" when the tests run as root), and returns what it
// returned. Permission tests mean nothing to root otherwise.
std::string RunUnprivileged(const std::function<std::string()>& body);

// Hands a directory to the user RunUnprivileged runs as.
void GiveToUnprivileged(const std::string& path);

}  // namespace finbowl::testing
