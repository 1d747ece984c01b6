// ScopedEnvironment.h - one environment variable set or removed for a scope, then put back.
//
// Restoring in the destructor keeps a test that fails half-way (an ASSERT returns
// early) from leaving its locale or mode behind for the tests that run after it.
// On Windows the C runtime's environment is the one getenv reads; there an empty
// value removes a variable.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace platform_test {

class ScopedEnvironment {
public:
    /// Sets `name` to `value` for the scope; a null `value` removes it for the scope.
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(name, value);
    }
    ~ScopedEnvironment() { Set(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void Set(const char* name, const char* value) {
#if defined(_WIN32)
        _putenv_s(name, value != nullptr ? value : "");
#else
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
#endif
    }

    std::string name_;
    std::optional<std::string> old_;
};

} // namespace platform_test
