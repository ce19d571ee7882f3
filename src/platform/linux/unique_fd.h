#pragma once

namespace quorvex {

// Owns a file descriptor and closes it when it goes; -1 owns nothing. For
// descriptors opened and used within one function, whichever way it ends.
class UniqueFd {
public:
    explicit UniqueFd(int fd);
    ~UniqueFd();
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace quorvex
