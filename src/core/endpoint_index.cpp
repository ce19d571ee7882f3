#include "core/endpoint_index.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/row_rules.h"
#include "core/tcp_state.h"

namespace quorvex {

namespace {

const std::string kModified = "md";
const std::string kClaimed = "ok";
const std::string kEmpty;

// The fields a refresh matches a row to an endpoint by; UDP leaves the
// remote pair empty on both sides.
struct EndpointKey {
    std::string_view pid, localIp, localPort, remoteIp, remotePort;
    bool operator==(const EndpointKey &) const = default;
};

// FNV-1a over the fields, each closed by a zero byte so that ("1", "23")
// and ("12", "3") differ.
uint64_t HashOf(const EndpointKey &k)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (std::string_view part : {k.pid, k.localIp, k.localPort, k.remoteIp, k.remotePort}) {
        for (const char c : part)
            h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        h *= 0x100000001b3ull;
    }
    // The multiply carries only upwards; fold the high bits into the low
    // ones that pick the slot.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

EndpointKey KeyOf(const File_Rec &r, bool tcp)
{
    if (tcp)
        return {r.Pid, r.LocalIp, r.LocalPort, r.RemoteIp, r.RemotePort};
    return {r.Pid, r.LocalIp, r.LocalPort, {}, {}};
}

EndpointKey KeyOf(const TMyRec &r, bool tcp)
{
    if (tcp)
        return {r.Pid, r.LocalIp, r.LocalPort, r.RemoteIp, r.RemotePort};
    return {r.Pid, r.LocalIp, r.LocalPort, {}, {}};
}

inline void Prefetch(const void *address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// The unclaimed records of one snapshot array, by endpoint: an open
// addressing table whose slots chain equal records in array order. A lookup
// gives the first unclaimed record; claiming it moves the answer on to the
// next equal record, so two equal endpoints are claimed by two rows.
class EndpointIndex {
public:
    struct Slot {
        uint64_t hash = 0;
        int first = -1;  // a record with this key; -1 marks a free slot
        int head = -1;   // the first unclaimed record, -1 when all are claimed
    };

    EndpointIndex(std::vector<File_Rec> &recs, bool tcp) : m_recs(recs), m_tcp(tcp), m_next(recs.size(), -1)
    {
        size_t capacity = 16;
        while (capacity < recs.size() * 2)
            capacity *= 2;
        m_slots.resize(capacity);
        m_mask = capacity - 1;
        for (size_t i = recs.size(); i-- > 0;) {
            if (recs[i].Mark == kClaimed)
                continue;
            const EndpointKey key = KeyOf(recs[i], tcp);
            Slot &slot = probe(key, HashOf(key));
            const int index = static_cast<int>(i);
            if (slot.first < 0) {
                slot.hash = HashOf(key);
                slot.first = index;
            } else {
                m_next[i] = slot.head;
            }
            slot.head = index;
        }
    }

    // The slot of `key` (whose HashOf is `hash`), or nullptr when no
    // unclaimed record has it.
    Slot *Find(const EndpointKey &key, uint64_t hash)
    {
        Slot &slot = probe(key, hash);
        return slot.head >= 0 ? &slot : nullptr;
    }

    // Lookups of a walk over rows scattered in memory wait on cache misses;
    // these ask for the slot, and a little later for its record, ahead.
    void PrefetchSlot(uint64_t hash) const { Prefetch(&m_slots[hash & m_mask]); }
    void PrefetchRecord(uint64_t hash) const
    {
        const Slot &slot = m_slots[hash & m_mask];
        if (slot.head >= 0)
            Prefetch(&m_recs[static_cast<size_t>(slot.head)]);
    }

    File_Rec &Record(const Slot &slot) { return m_recs[static_cast<size_t>(slot.head)]; }

    void Claim(Slot &slot)
    {
        m_recs[static_cast<size_t>(slot.head)].Mark = kClaimed;
        slot.head = m_next[static_cast<size_t>(slot.head)];
    }

private:
    Slot &probe(const EndpointKey &key, uint64_t hash)
    {
        for (size_t j = hash & m_mask;; j = (j + 1) & m_mask) {
            Slot &slot = m_slots[j];
            if (slot.first < 0 ||
                (slot.hash == hash && KeyOf(m_recs[static_cast<size_t>(slot.first)], m_tcp) == key))
                return slot;
        }
    }

    std::vector<File_Rec> &m_recs;
    bool m_tcp;
    std::vector<int> m_next;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

}  // namespace

bool IsClaimed(const File_Rec &rec)
{
    return rec.Mark == kClaimed;
}

RowClaims ClaimEndpoints(std::vector<std::unique_ptr<ListRow>> &rows, TcpUdpTables &tables, bool showLocal,
                         ProgramList &programs, int64_t elapsedMs)
{
    const size_t n = rows.size();
    RowClaims claims;
    claims.Kept.assign(n, 0);
    std::vector<EndpointIndex> indexes;
    indexes.reserve(std::size(RecordGroups));
    for (const RecordGroup &group : RecordGroups)
        indexes.emplace_back(tables.*group.Recs, group.Tcp);
    // The rows lie scattered in memory: each is asked for ahead of the walk,
    // its key hashed a little later and the slot asked for, and the slot's
    // record a little later still.
    constexpr size_t kRowAhead = 24;
    constexpr size_t kSlotAhead = 12;
    constexpr size_t kRecordAhead = 6;
    std::vector<uint64_t> hashes(n);
    std::vector<uint8_t> groupOf(n);
    auto indexFor = [&](size_t i) -> EndpointIndex & { return indexes[groupOf[i]]; };
    auto hashRow = [&](size_t i) {
        const TMyRec &rec = rows[i]->rec;
        groupOf[i] = static_cast<uint8_t>(GroupIndexOfProtocol(rec.Protocol));
        hashes[i] = HashOf(KeyOf(rec, RecordGroups[groupOf[i]].Tcp));
    };
    for (size_t i = 0; i < std::min(n, kSlotAhead); ++i)
        hashRow(i);
    for (size_t i = 0; i < n; ++i) {
        if (i + kRowAhead < n)
            Prefetch(rows[i + kRowAhead].get());
        if (i + kSlotAhead < n) {
            hashRow(i + kSlotAhead);
            indexFor(i + kSlotAhead).PrefetchSlot(hashes[i + kSlotAhead]);
        }
        if (i + kRecordAhead < n)
            indexFor(i + kRecordAhead).PrefetchRecord(hashes[i + kRecordAhead]);

        ListRow &row = *rows[i];
        const bool tcp = RecordGroups[groupOf[i]].Tcp;
        EndpointIndex &index = indexFor(i);
        const EndpointKey key = KeyOf(row.rec, tcp);
        EndpointIndex::Slot *found = index.Find(key, hashes[i]);
        if (found && tcp && !IsHiddenLoopback(row.rec, showLocal)) {
            const File_Rec &record = index.Record(*found);
            std::string state = GetTcpStateName(record.State);
            const bool trafficChanged = TakeTraffic(row.rec, record, elapsedMs);
            index.Claim(*found);
            const bool modified = state != row.rec.StateText;
            if (modified)
                row.rec.StateText = std::move(state);
            const std::string &remark = modified ? kModified : kEmpty;
            if (modified || trafficChanged || row.rec.Remark != remark)
                claims.Changed.push_back(&row);
            claims.StateChanged = claims.StateChanged || modified;
            claims.TrafficChanged = claims.TrafficChanged || trafficChanged;
            row.rec.Remark = remark;
            claims.Kept[i] = 1;
        } else if (found && !tcp) {
            index.Claim(*found);
            claims.Kept[i] = 1;
        }
        if (claims.Kept[i])
            programs.NoteProgram(row.rec);
    }
    return claims;
}

}  // namespace quorvex
