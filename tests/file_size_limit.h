#pragma once

// A full disk for the length of a scope: no file may grow past a few bytes. Unlike a read-only
// folder, the limit holds for root too.

#include <csignal>
#include <sys/resource.h>

namespace dalko::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        // The write fails with EFBIG instead of the signal ending the test.
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    rlimit m_old{};
};

} // namespace dalko::test
