#pragma once

#include <string>

// Each bench file registers its figures with a static BenchRegistrar; the
// program runs them all (or only those named on the command line) and each
// prints its figures as "name: value unit" lines.
using BenchFunction = void (*)();

struct BenchRegistrar {
    BenchRegistrar(const char *name, BenchFunction function);
};

// Prints one figure line, flushed at once.
void PrintFigure(const std::string &name, double value, const char *unit);

// Wall-clock milliseconds since an arbitrary start.
double NowMs();
