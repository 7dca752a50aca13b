// Encodes a sequence of 1,000,000 clicks, writes it to a file in a fresh
// temporary folder, reads the file back and decodes it, and prints the time of
// each step and the process's peak memory. Exits 1 when the clicks read back
// differ from those written.
//
//   quorvel_bench_sequence_file [clicks]
#include "files/SequenceCodec.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kilobytes on Linux
}

bool writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0;
}

bool readAll(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t clicks = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;

    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvel-bench-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = folder + "/bench.tpx";

    std::vector<CClickEntry> entries(clicks);
    for (std::size_t k = 0; k < clicks; ++k) {
        entries[k].m_delay = static_cast<std::uint32_t>(k % 5000);
        entries[k].m_serial = static_cast<std::uint16_t>(k + 1);
        entries[k].m_x = static_cast<std::uint32_t>(k % 3840);
        entries[k].m_y = static_cast<std::uint32_t>(k % 2160);
        entries[k].m_cursorBack = static_cast<int>(k & 1);
        entries[k].m_clickType = static_cast<int>(k % 4);
    }
    const long rssBefore = peakRssKb();

    Clock::time_point t = Clock::now();
    std::vector<std::uint8_t> bytes = files::encodeSequence(3, entries);
    const double encodeMs = msSince(t);

    t = Clock::now();
    const bool written = writeAll(path, bytes);
    const double writeMs = msSince(t);
    const std::size_t fileSize = bytes.size();
    bytes = {};

    t = Clock::now();
    std::vector<std::uint8_t> loaded;
    const bool read = written && readAll(path, loaded);
    const double readMs = msSince(t);

    t = Clock::now();
    const files::DecodedSequence decoded = files::decodeSequence(loaded);
    const double decodeMs = msSince(t);

    ::unlink(path.c_str());
    ::rmdir(folder.c_str());

    bool same = written && read && decoded.entries.size() == entries.size() && !decoded.endedEarly;
    for (std::size_t k = 0; same && k < clicks; ++k) {
        const CClickEntry& a = entries[k];
        const CClickEntry& b = decoded.entries[k];
        same = a.m_delay == b.m_delay && a.m_serial == b.m_serial && a.m_x == b.m_x && a.m_y == b.m_y &&
               a.m_cursorBack == b.m_cursorBack && a.m_clickType == b.m_clickType;
    }

    std::printf("clicks            %zu\n", clicks);
    std::printf("file size         %zu bytes\n", fileSize);
    std::printf("encode            %8.1f ms\n", encodeMs);
    std::printf("write file        %8.1f ms\n", writeMs);
    std::printf("read file         %8.1f ms\n", readMs);
    std::printf("decode            %8.1f ms\n", decodeMs);
    std::printf("save (enc+write)  %8.1f ms\n", encodeMs + writeMs);
    std::printf("load (read+dec)   %8.1f ms\n", readMs + decodeMs);
    std::printf("peak RSS          %ld KiB (%ld KiB with the clicks built, before encoding)\n", peakRssKb(), rssBefore);
    std::printf("round trip        %s\n", same ? "identical" : "DIFFERENT");
    return same ? 0 : 1;
}
