#include "platform/linux/unique_fd.h"

#include <unistd.h>

namespace quorvex {

UniqueFd::UniqueFd(int fd) : m_fd(fd) {}

UniqueFd::~UniqueFd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

}  // namespace quorvex
