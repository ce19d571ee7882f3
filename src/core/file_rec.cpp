#include "core/file_rec.h"

namespace quorvex {

size_t GroupIndexOfProtocol(const std::string &protocol)
{
    for (size_t i = 0; i < std::size(RecordGroups); ++i) {
        if (protocol == RecordGroups[i].Protocol)
            return i;
    }
    return 1;  // UDP
}

const RecordGroup &GroupOfProtocol(const std::string &protocol)
{
    return RecordGroups[GroupIndexOfProtocol(protocol)];
}

bool IsTcpProtocol(const std::string &protocol)
{
    return protocol == ProtocolTcp || protocol == ProtocolTcp6;
}

}  // namespace quorvex
