#include "TestRunner.h"

#include <cstdio>
#include <exception>

namespace quorvel::win32test {

namespace {
int g_caseFailures = 0;
}

TestRunner::TestRunner(std::string suite) : m_suite(std::move(suite))
{
    // Output goes to a file or a pipe under Wine; flush each line so that a
    // case that hangs or crashes still leaves the lines before it.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

void TestRunner::fail(const char* file, int line, const std::string& what)
{
    ++g_caseFailures;
    std::printf("    %s:%d: %s\n", file, line, what.c_str());
}

void TestRunner::run(const std::string& name, const std::function<void()>& body)
{
    g_caseFailures = 0;
    try {
        body();
    } catch (const RequireFailed&) {
        // Already printed; the case ends here.
    } catch (const std::exception& error) {
        fail(__FILE__, __LINE__, std::string("exception: ") + error.what());
    }
    if (g_caseFailures == 0) {
        ++m_passed;
        std::printf("PASS %s: %s\n", m_suite.c_str(), name.c_str());
    } else {
        ++m_failed;
        std::printf("FAIL %s: %s\n", m_suite.c_str(), name.c_str());
    }
}

int TestRunner::finish() const
{
    std::printf("%s: %d passed, %d failed\n", m_suite.c_str(), m_passed, m_failed);
    return m_failed == 0 && m_passed > 0 ? 0 : 1;
}

} // namespace quorvel::win32test
