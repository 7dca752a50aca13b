// A small runner for the tests that are built without Qt. Each case is a
// function run in order: a failed CHECK is printed with its place and the case
// goes on, a failed REQUIRE ends the case. Every case prints one PASS or FAIL
// line, and finish() prints "<suite>: N passed, M failed".
#pragma once

#include "platform/Platform.h"

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>

namespace quorvel::win32test {

class TestRunner {
public:
    explicit TestRunner(std::string suite);

    void run(const std::string& name, const std::function<void()>& body);
    // Prints the closing line and returns the process's exit code.
    int finish() const;

    // Records a failure in the running case.
    static void fail(const char* file, int line, const std::string& what);

    template <typename Actual, typename Expected>
    static bool checkEqual(const Actual& actual, const Expected& expected, const char* actualText,
                           const char* expectedText, const char* file, int line)
    {
        if (actual == expected)
            return true;
        fail(file, line,
             std::string("CHECK_EQ(") + actualText + ", " + expectedText + "): " + text(actual) +
                 " != " + text(expected));
        return false;
    }

    struct RequireFailed {};

private:
    template <typename T> static std::string text(const T& value)
    {
        std::ostringstream out;
        if constexpr (std::is_same_v<T, std::string>)
            out << '"' << value << '"';
        else if constexpr (std::is_same_v<T, platform::Point>)
            out << '(' << value.x << ", " << value.y << ')';
        else if constexpr (std::is_same_v<T, std::optional<platform::Point>>)
            out << (value ? text(*value) : std::string("unknown"));
        else
            out << value;
        return out.str();
    }

    std::string m_suite;
    int m_passed = 0;
    int m_failed = 0;
};

} // namespace quorvel::win32test

#define CHECK(condition)                                                                                               \
    ((condition) ? true : (::quorvel::win32test::TestRunner::fail(__FILE__, __LINE__, "CHECK(" #condition ")"), false))
#define CHECK_EQ(actual, expected)                                                                                     \
    ::quorvel::win32test::TestRunner::checkEqual((actual), (expected), #actual, #expected, __FILE__, __LINE__)
#define REQUIRE(condition)                                                                                             \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            ::quorvel::win32test::TestRunner::fail(__FILE__, __LINE__, "REQUIRE(" #condition ")");                     \
            throw ::quorvel::win32test::TestRunner::RequireFailed{};                                                   \
        }                                                                                                              \
    } while (false)
