#pragma once

#include <set>
#include <stdexcept>
#include <string>

namespace fakes {

// Lets a test make the named operation of a fake throw, once or always.
struct FailSwitch {
    std::multiset<std::string> failNext;  // each entry makes one call of that name throw
    std::set<std::string> failAlways;

    void check(const std::string& operation) {
        if (failAlways.count(operation) != 0) {
            throw std::runtime_error("Simulated failure in " + operation + ".");
        }
        if (auto it = failNext.find(operation); it != failNext.end()) {
            failNext.erase(it);
            throw std::runtime_error("Simulated failure in " + operation + ".");
        }
    }
};

}  // namespace fakes
