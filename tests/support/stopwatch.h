// Wall-clock time since a start, from the performance counter.
#pragma once

#include <windows.h>

struct Stopwatch {
    LARGE_INTEGER start = {};

    Stopwatch() { Restart(); }
    void Restart() { QueryPerformanceCounter(&start); }
    double Seconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    }
    double Ms() const { return Seconds() * 1000; }
};
