#include "cli/ProcessGroup.h"
#include <algorithm>
#include <cstdlib>
#include <thread>
#ifdef BREVANTO_MPI
#include <mpi.h>
#endif

namespace {
// Set by mpirun (Open MPI) or by a scheduler's process-management interface.
bool LaunchedAsGroup() {
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK", "PMI_SIZE"})
        if (std::getenv(name))
            return true;
    return false;
}

#ifdef BREVANTO_MPI
// Messages stay below the int counts of MPI's calls.
constexpr long long Block = 1 << 24;

template <class T> void SendAll(const T* data, long long n, MPI_Datatype type) {
    MPI_Send(&n, 1, MPI_LONG_LONG, 0, 1, MPI_COMM_WORLD);
    for (long long at = 0; at < n; at += Block)
        MPI_Send(data + at, static_cast<int>(std::min(Block, n - at)), type, 0, 2, MPI_COMM_WORLD);
}

template <class T> void ReceiveAll(int from, std::vector<T>& into, MPI_Datatype type) {
    long long n = 0;
    MPI_Recv(&n, 1, MPI_LONG_LONG, from, 1, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    const std::size_t start = into.size();
    into.resize(start + static_cast<std::size_t>(n));
    for (long long at = 0; at < n; at += Block)
        MPI_Recv(into.data() + start + at, static_cast<int>(std::min(Block, n - at)), type, from, 2,
                 MPI_COMM_WORLD, MPI_STATUS_IGNORE);
}
#endif
} // namespace

TProcessGroup::TProcessGroup() {
#ifdef BREVANTO_MPI
    int initialised = 0;
    MPI_Initialized(&initialised);
    if (!LaunchedAsGroup() || initialised)
        return;
    MPI_Init(nullptr, nullptr);
    Joined = true;
    MPI_Comm_rank(MPI_COMM_WORLD, &RankNo);
    MPI_Comm_size(MPI_COMM_WORLD, &SizeNo);
#else
    (void)LaunchedAsGroup;
#endif
}

TProcessGroup::~TProcessGroup() {
#ifdef BREVANTO_MPI
    if (Joined)
        MPI_Finalize();
#endif
}

void TProcessGroup::Share(long long total, long long& begin, long long& end) const {
    begin = total * RankNo / SizeNo;
    end = total * (RankNo + 1) / SizeNo;
}

std::vector<double> TProcessGroup::Gather(const std::vector<double>& mine) const {
    if (SizeNo == 1)
        return mine;
#ifdef BREVANTO_MPI
    if (RankNo != 0) {
        SendAll(mine.data(), static_cast<long long>(mine.size()), MPI_DOUBLE);
        return {};
    }
    std::vector<double> all = mine;
    for (int r = 1; r < SizeNo; ++r)
        ReceiveAll(r, all, MPI_DOUBLE);
    return all;
#else
    return mine;
#endif
}

std::string TProcessGroup::Gather(const std::string& mine) const {
    if (SizeNo == 1)
        return mine;
#ifdef BREVANTO_MPI
    if (RankNo != 0) {
        SendAll(mine.data(), static_cast<long long>(mine.size()), MPI_CHAR);
        return {};
    }
    std::vector<char> all(mine.begin(), mine.end());
    for (int r = 1; r < SizeNo; ++r)
        ReceiveAll(r, all, MPI_CHAR);
    return std::string(all.begin(), all.end());
#else
    return mine;
#endif
}

int TProcessGroup::DefaultThreads() const {
    if (SizeNo == 1)
        return 0; // every core
    int local = SizeNo;
    if (const char* s = std::getenv("OMPI_COMM_WORLD_LOCAL_SIZE"))
        local = std::max(1, std::atoi(s));
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    return std::max(1, cores / local);
}
