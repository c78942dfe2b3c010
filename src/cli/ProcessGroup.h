#pragma once
// The processes of one run of brevanto-cli. Launched by mpirun (or a cluster scheduler) in a build
// with MPI, every process joins the group and the work is split by rank; started on its own, or in a
// build without MPI, the group is this one process and nothing of MPI is touched.
#include <string>
#include <vector>

class TProcessGroup {
  public:
    TProcessGroup();
    ~TProcessGroup();
    TProcessGroup(const TProcessGroup&) = delete;
    TProcessGroup& operator=(const TProcessGroup&) = delete;

    int Rank() const { return RankNo; }
    int Size() const { return SizeNo; }
    bool First() const { return RankNo == 0; }

    // The part [begin, end) of `total` items that this process takes: contiguous blocks in rank order.
    void Share(long long total, long long& begin, long long& end) const;

    // The first process receives every process's values in rank order (its own first); the others
    // send theirs and get an empty vector.
    std::vector<double> Gather(const std::vector<double>& mine) const;
    std::string Gather(const std::string& mine) const;

    // Worker threads for this process when the user gave none: the machine's cores shared among the
    // processes on this machine.
    int DefaultThreads() const;

  private:
    int RankNo = 0;
    int SizeNo = 1;
    bool Joined = false;
};
