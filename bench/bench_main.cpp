#include "bench.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
struct Entry {
    const char *name;
    BenchFunction function;
};
std::vector<Entry> &Registry()
{
    static std::vector<Entry> entries;
    return entries;
}
}  // namespace

BenchRegistrar::BenchRegistrar(const char *name, BenchFunction function)
{
    Registry().push_back({name, function});
}

void PrintFigure(const std::string &name, double value, const char *unit)
{
    std::printf("%s: %.1f %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

int main(int argc, char **argv)
{
    for (const auto &entry : Registry()) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], entry.name) == 0;
        if (wanted)
            entry.function();
    }
    return 0;
}
