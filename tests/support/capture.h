// Captures what a Scene prints on its trace into a string; the previous sink comes back after.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/scene.h"

class TraceCapture {
public:
    explicit TraceCapture(Scene& s) : s_(s), saved_(s.trace) {
        f_ = open_memstream(&buf_, &len_);
        s_.trace = f_;
    }
    ~TraceCapture() {
        s_.trace = saved_;
        if (f_) std::fclose(f_);
        std::free(buf_);
    }
    std::string text() {
        std::fflush(f_);
        return std::string(buf_ ? buf_ : "", len_);
    }

private:
    Scene& s_;
    FILE* saved_;
    FILE* f_ = nullptr;
    char* buf_ = nullptr;
    size_t len_ = 0;
};
