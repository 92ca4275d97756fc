// Writes the benchmarks' member save to a file for programs outside this build (the WebAssembly
// bridge's benchmark under Node): file BIGFILE, member BIGMBR of RECORDS records (a million
// unless given), at node 0/0/0.
//   bench_write_member_save PATH [RECORDS]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchmarkMember.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "Usage: bench_write_member_save PATH [RECORDS]\n");
        return 1;
    }
    constexpr unsigned long kMostRecords = 100000000;
    const unsigned long records = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
    if (records == 0 || records > kMostRecords) {
        std::fprintf(stderr, "RECORDS must lie between 1 and %lu\n", kMostRecords);
        return 1;
    }
    quelvane::bench::writeMemberSave(argv[1], static_cast<std::uint32_t>(records));
    return 0;
}
